-- shared
-- Every standard metamethod: index and newindex (tables and functions),
-- call, arithmetic, unary minus, concat, len, eq, lt, le, tostring,
-- protected metatables and pairs/ipairs overrides.
local V = {}
V.__index = V
local function vec(x, y) return setmetatable({x = x, y = y}, V) end
V.__add = function(a, b) return vec(a.x + b.x, a.y + b.y) end
V.__sub = function(a, b) return vec(a.x - b.x, a.y - b.y) end
V.__mul = function(a, b)
  if type(a) == "number" then return vec(a * b.x, a * b.y) end
  if type(b) == "number" then return vec(a.x * b, a.y * b) end
  return a.x * b.x + a.y * b.y
end
V.__div = function(a, b) return vec(a.x - a.x % b, a.y - a.y % b) end
V.__mod = function(a, b) return vec(a.x % b, a.y % b) end
V.__pow = function(a, b) return vec(a.x ^ b, a.y ^ b) end
V.__unm = function(a) return vec(-a.x, -a.y) end
V.__eq = function(a, b) return a.x == b.x and a.y == b.y end
V.__lt = function(a, b) return a.x * a.x + a.y * a.y < b.x * b.x + b.y * b.y end
V.__le = function(a, b) return not (b < a) end
V.__len = function(a) return a.x + a.y end
V.__concat = function(a, b)
  local ax = type(a) == "table" and a.x or a
  local bx = type(b) == "table" and b.x or b
  return ax .. ":" .. bx
end
V.__call = function(self, k) return self.x * k end
V.__tostring = function(a) return "(" .. a.x .. "," .. a.y .. ")" end
function V.sum(a) return a.x + a.y end

local a, b = vec(1, 2), vec(3, 4)
print(tostring(a + b), tostring(a - b), a * b, tostring(2 * a), tostring(a * 3))
print(tostring(vec(7, 9) / 2), tostring(vec(7, 9) % 4), tostring(vec(2, 3) ^ 2), tostring(-a))
print(a == vec(1, 2), a == b, a ~= b, a < b, b < a, a <= b, b <= a, a > b, a >= b)
print(#a, a .. b, a .. "s", 5 .. a, a(10), a:sum())

local log = {}
local proxy = setmetatable({}, {
  __index = function(t, k) log[#log + 1] = k return k * 2 end,
  __newindex = function(t, k, v) rawset(t, k, v * 10) end,
})
print(proxy[21], proxy[4])
proxy[1] = 5
print(proxy[1], #log)

local base = {greet = 7}
local mid = setmetatable({}, {__index = base})
local top = setmetatable({}, {__index = mid})
print(top.greet, rawget(top, "greet"))

local store = {}
local sink = setmetatable({}, {__newindex = store})
sink.a = 3
print(rawget(sink, "a"), store.a)

local locked = setmetatable({}, {__metatable = 42})
print(getmetatable(locked))
print(pcall(setmetatable, locked, {}))

local seq = setmetatable({}, {
  __pairs = function(t) return function(_, k) if k < 3 then return k + 1, k * 10 end end, t, 0 end,
  __ipairs = function(t) return function(_, k) if k < 2 then return k + 1, 5 end end, t, 0 end,
})
local s = 0
for k, v in pairs(seq) do s = s + k + v end
for k, v in ipairs(seq) do s = s + k * v end
print(s)

local e1 = setmetatable({}, {__eq = function() return true end})
local e2 = setmetatable({}, getmetatable(e1))
print(e1 == e2, e1 == {}, rawequal(e1, e2))
print(getmetatable(1), getmetatable(print))
