-- shared
-- heavy: left out of the collector-stress build (a full collection at every
-- call over a stack grown to its limit takes far too long there)
-- Unbounded recursion ends in a catchable stack overflow, and the stack is
-- usable again afterwards.
local ok = pcall(function()
  local function forever(n) return 1 + forever(n + 1) end
  return forever(1)
end)
print(ok)
local function depth(n) if n == 0 then return 0 end return 1 + depth(n - 1) end
print(depth(5000))
print((pcall(function() local function f() return 1 + f() end return f() end)))
