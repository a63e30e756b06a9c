-- shared
-- Generic for loops over script iterators: closures, stateless iterators
-- with several loop variables, iterators that return through tail calls or
-- take variable arguments, errors inside them, iterators that run loops of
-- their own as deep as the native-call depth allows, and iterators that
-- yield, after which that depth is as before.
local function range(n)
  local i = 0
  return function() i = i + 1 if i <= n then return i end end
end
local s = 0
for v in range(10) do s = s + v end
print(s)

local function pairs_of(t, i)
  i = i + 1
  if t[i] then return i, t[i], t[i] * 2 end
end
local t = {5, 6, 7}
for i, v, w in pairs_of, t, 0 do print(i, v, w) end

local function tail_step(_, c)
  if c < 4 then return (function(x) return x + 1 end)(c) end
end
for v in tail_step, nil, 0 do print("tail", v) end

local function var_step(...)
  local _, c = ...
  if c < 3 then return c + 1, select("#", ...) end
end
for a, b in var_step, nil, 0 do print("var", a, b) end

local ok, msg = pcall(function()
  for v in function(_, c) if c == 2 then error("stop at " .. c, 0) end return c + 1 end, nil, 0 do end
end)
print(ok, msg)

-- Each level runs a loop whose iterator calls the next level.
local function nest(n)
  if n == 0 then return 0 end
  local r = 0
  for v in function(_, c) if c == nil then return nest(n - 1) + 1 end end do r = v end
  return r
end
print(nest(150))
print((pcall(nest, 400)))
print(nest(150))

local gen = cocreate(function()
  local total = 0
  for round = 1, 3 do
    for v in function(_, c) c = (c or 0) + 1 if c <= 3 then yield(c) return c end end do total = total + v end
  end
  return total, nest(150)
end)
local got = {}
while true do
  local ok, a, b = coresume(gen)
  if b then got[#got + 1] = a .. "/" .. b break end
  got[#got + 1] = a
end
local line = ""
for i = 1, #got do line = line .. got[i] .. " " end
print(line)

-- A yield from three iterators deep: once they have returned, the depth
-- allowed is what it was.
local function probe()
  local last = 0
  for n = 150, 260 do if pcall(nest, n) then last = n end end
  return last
end
local function nested(k)
  if k == 0 then yield() return 0 end
  for v in function(_, c) if c == nil then return nested(k - 1) + 1 end end do return v end
end
local before = cocreate(probe)
local after = cocreate(function() nested(3) return probe() end)
coresume(after)
local _, a = coresume(before)
local _, b = coresume(after)
print(a == b, b > 150)
