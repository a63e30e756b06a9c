-- The console's table functions: add, del, deli and count with their edge
-- cases, pack and unpack.
local function show(t)
  local s = "{"
  for i = 1, #t do s = s .. tostring(t[i]) .. (i < #t and "," or "") end
  return s .. "}"
end

local t = {1, 2, 3}
print(add(t, 4), show(t))
print(add(t, 0, 1), show(t))
print(add(t, 9, 6), show(t))
print(add(t, "x", 3), show(t))
print(pcall(add, t, 5, 9))
print(pcall(add, t, 5, 0))
print(pcall(add, t, 5, nil))
print(select("#", add(nil, 1)), select("#", add(t)), select("#", add()))

t = {10, 20, 30, 40}
print(deli(t), show(t))
print(deli(t, 1), show(t))
print(select("#", deli(t, nil)), select("#", deli(t, 0)), select("#", deli(t, 3)), select("#", deli({})))
print(deli(t, "2"), show(t))

t = {1, 2, 3, 2}
print(del(t, 2), show(t))
print(select("#", del(t, 9)), show(t))
print(select("#", del({}, 1)), select("#", del(t)))
local holes = {1, nil, 3}
print(del(holes, nil), #holes, holes[1], holes[2])
print(type(del({"1", 1}, 1)), type(del({1, "1"}, "1")))

print(count({1, 2, 1}, 1), count({1, 2, 1}), count({}, 1), count({}))
print(count({"a", "b", "a"}, "a"), count({1, 2}, "1"))
print(select("#", count(nil)), select("#", count(5, 1)))

local E = {__eq = function(a, b) return a.k == b.k end}
local a, b, c = setmetatable({k = 1}, E), setmetatable({k = 2}, E), setmetatable({k = 1}, E)
local list = {a, b}
print(count(list, c), del(list, c) == a, #list)

local lenmt = setmetatable({}, {__len = function() return 2 end})
rawset(lenmt, 1, "p")
rawset(lenmt, 2, "q")
print(count(lenmt), deli(lenmt), rawget(lenmt, 2))
local badlen = setmetatable({}, {__len = function() return "x" end})
print(pcall(count, badlen))

local p = pack(1, nil, 3)
print(p.n, p[1], p[2], p[3])
print(pack().n)
print(unpack({1, 2, 3}))
print(unpack({1, 2, 3}, 2))
print(unpack({1, 2, 3}, 2, 5))
print(select("#", unpack({}, 2, 1)), select("#", unpack({})))
print(unpack({1, 2, 3}, -1, 1))
print(pcall(unpack, nil))
print(select("#", unpack({}, 1, 32767)), select("#", unpack({}, -32768, 32767)))
