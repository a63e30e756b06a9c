-- shared
-- Coroutines: generators, passing values both ways, status, errors inside,
-- dead coroutines, nested coroutines and wrapping a native function.
local gen = cocreate(function(n)
  for i = 1, n do yield(i) end
  return 100
end)
local s = 0
while true do
  local ok, v = coresume(gen, 4)
  if costatus(gen) == "dead" then s = s + v break end
  s = s + v
end
print(s, costatus(gen))

local echo = cocreate(function(a, b)
  local c, d = yield(a + b)
  local e = yield(c * d)
  return e, "end"
end)
print(coresume(echo, 1, 2))
print(coresume(echo, 3, 4))
print(coresume(echo, 5))
print(costatus(echo))

local bad = cocreate(function() local x = nil; return x.y end)
local ok = coresume(bad)
print(ok, costatus(bad))

local outer
local inner = cocreate(function()
  print("inner sees outer", costatus(outer))
  yield(1)
end)
outer = cocreate(function()
  print("outer running", costatus(outer))
  coresume(inner)
  yield(2)
end)
print(costatus(outer))
print(coresume(outer))
print(costatus(outer), costatus(inner))

local co = cocreate(select)
print(coresume(co, 2, 7, 8, 9))

local pingpong = {}
local p = cocreate(function()
  for i = 1, 3 do pingpong[#pingpong + 1] = i; yield() end
end)
while costatus(p) ~= "dead" do coresume(p) end
print(#pingpong)

local yielder = cocreate(function(...)
  local n = select("#", ...)
  local a, b, c = yield(n)
  return select("#", a, b, c)
end)
print(coresume(yielder, nil, nil))
print(coresume(yielder))

local pco = cocreate(function()
  local ok2, v = pcall(function() yield(5) error("after") end)
  yield(ok2)
  return 9
end)
print(coresume(pco))
print(coresume(pco))
print(coresume(pco))
