-- shared
-- Calls in the shapes the loop takes short cuts for, beside the ones it
-- does not: arguments counted by the previous call, tail calls over frames
-- with captured locals or varargs, and setmetatable in every result shape.
local function add3(a, b, c) return (a or 0) + (b or 0) + (c or 0) end
local function three() return 1, 2, 3 end
local function two() return 10, 20 end
local function many() return 1, 2, 3, 4, 5 end
print(add3(three()), add3(two()), add3(many()), add3(5, two()))

-- tail calls: argument counts from a call, from varargs, exact and not
local function tail_exact(x) return add3(x, x, x) end
local function tail_counted(x) return add3(three()) end
local function tail_fewer(x) return add3(x) end
local function tail_vararg(...) return add3(...) end
local function tail_to_vararg(x) return select("#", x, x) end
print(tail_exact(2), tail_counted(0), tail_fewer(7), tail_vararg(1, 2), tail_vararg(1, 2, 3, 4))
print(tail_to_vararg(1))

-- a tail call from a frame whose locals are captured: the closures keep
-- the values the frame had when it was left
local saved = {}
local function capture_then_tail(n)
  local v = n * 2
  saved[#saved + 1] = function() return v end
  if n == 0 then return 0 end
  return capture_then_tail(n - 1)
end
capture_then_tail(4)
local vals = ""
for i = 1, #saved do vals = vals .. " " .. saved[i]() end
print(vals)

-- deep tail recursion keeps one frame
local function count_down(n, acc)
  if n == 0 then return acc end
  return count_down(n - 1, acc + 1)
end
print(count_down(20000, 0))

-- setmetatable: results in every shape, nil, a table with a metatable
local mt = {__index = function(_, k) return k .. "!" end}
local t = {}
local r1, r2 = setmetatable(t, mt)
print(r1 == t, r2, t.hello)
print(select("#", setmetatable({}, mt)))
local u = setmetatable(setmetatable({}, mt), nil)
print(getmetatable(u), u.hello)
local again = setmetatable({}, {__index = {a = 1}})
setmetatable(again, {__index = {a = 2}})
print(again.a)
local function wrap(...) return setmetatable(...) end
print(wrap({}, mt).x)
local guarded = setmetatable({}, {__metatable = "locked"})
print((pcall(setmetatable, {}, 5)), (pcall(setmetatable, 5, {})), (pcall(setmetatable, guarded, {})))
print(getmetatable(guarded))
