-- shared
-- Errors and protected calls: error values of every type, levels, nested
-- pcall, xpcall handlers, runtime error messages and argument errors.
print(pcall(error))
print(pcall(error, "plain", 0))
print(pcall(error, "where"))
print(pcall(error, "level2", 2))
local t = {}
local ok, e = pcall(error, t)
print(ok, e == t)
print(pcall(error, 42))
print(select("#", pcall(error)))

local function thrower() error("deep", 1) end
print(pcall(function() thrower() end))
print(pcall(function() local function f() error("lvl2", 2) end f() end))


print(xpcall(function() error("handled") end, function(m) return "H:" .. m end))
print(xpcall(function(a, b) return a + b end, print, 3, 4))
print(pcall(pcall, error, "inner"))

print(pcall(next, {}, "nokey"))

print(pcall(assert, false))
print(pcall(assert, nil, "custom"))
print(pcall(assert, 1, 2, 3))
print(pcall(assert, false, 12))

local function nested(n)
  if n == 0 then error("bottom") end
  local ok2, e2 = pcall(nested, n - 1)
  error(e2, 0)
end
print(pcall(nested, 5))

local mt = setmetatable({}, {__index = function(t, k) error("no field " .. k) end})
print(pcall(function() return mt.abc end))

