-- shared
-- Table traversal and the length operator: sums over pairs, ipairs stopping
-- at the first nil, next, borders, integer and fraction keys.
local t = {10, 20, 30, x = 1, y = 2, [5] = 50}
local keys, sum = 0, 0
for k, v in pairs(t) do
  keys = keys + 1
  sum = sum + v
end
print(keys, sum)

local n = 0
for i, v in ipairs(t) do n = n + i * v end
print(n)

print(#{}, #{1, 2, 3}, #{nil}, #{1, 2, nil})

local a = {}
for i = 1, 100 do a[i] = i end
print(#a)
a[#a] = nil
print(#a)
for i = 1, 50 do a[i] = nil end
local cnt = 0
for _ in pairs(a) do cnt = cnt + 1 end
print(cnt)

local k, v = next({})
print(k, v)
local one = {7}
print(next(one))
print(next(one, 1))

local m = {}
m[1] = "a"
m[1.5] = "b"
m[-1] = "c"
m[0] = "d"
print(m[1], m[1.5], m[-1], m[0], #m)

local nested = {{1, 2}, {3, 4, 5}}
print(#nested, #nested[2], nested[2][3])

local s = {}
s["10"] = 1
s[10] = 2
print(s["10"], s[10])

local removed = {}
for i = 1, 10 do removed[i] = i end
for k in pairs(removed) do removed[k] = nil end
print(next(removed))

print(rawlen({1, 2}), rawlen("abc"), rawequal(t, t), rawequal(t, {}))
print(rawget(t, 1), rawget(t, "x"))
rawset(t, "z", 9)
print(t.z)
