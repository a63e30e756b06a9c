-- shared
-- Coroutines resumed from script code: errors inside them (caught by their
-- resume, by a protected call inside them before and after a yield), yields
-- from protected calls, metamethods, iterators and tail calls, followed by
-- plain yields; nesting, resuming a coroutine that is running or normal,
-- deep chains, functions with variable arguments, many values both ways,
-- and collections while coroutines switch.
local function show(...)
  local n = select("#", ...)
  local text = ""
  for i = 1, n do text = text .. " " .. tostring((select(i, ...))) end
  print(n, text)
end

-- an error at the first resume and after yields; the coroutine is dead after it
local fails = cocreate(function(a)
  local b = yield(a + 1)
  local c = yield(b * 2)
  error("fail " .. c, 0)
end)
show(coresume(fails, 1))
show(coresume(fails, 5))
show(coresume(fails, 7))
print((coresume(fails, 9)))
print(costatus(fails))
local tab_error = cocreate(function() yield(1) error({code = 42}) end)
coresume(tab_error)
local ok, e = coresume(tab_error)
print(ok, e.code)
show(coresume(cocreate(function() return 1 + {} end)) == false)

-- protected calls inside: an error before any yield, one after a yield
-- inside the protected call, and yields after the recovery
local guarded = cocreate(function()
  local ok1, e1 = pcall(function() error("early", 0) end)
  local v = yield(ok1, e1)
  local ok2, e2 = pcall(function()
    local w = yield("inside", v)
    error("late " .. w, 0)
  end)
  local x = yield(ok2, e2)
  local y = yield(x + 1)
  return y * 10
end)
show(coresume(guarded))
show(coresume(guarded, 3))
show(coresume(guarded, 4))
show(coresume(guarded, 20))
show(coresume(guarded, 6))
print((coresume(guarded)))

-- yields through metamethods, a generic for's iterator and a tail call,
-- each followed by plain yields
local meta = setmetatable({}, {
  __index = function(t, k) return yield("index", k) + 1 end,
  __concat = function(a, b) return yield("concat") end,
})
local through = cocreate(function()
  local a = meta.x
  local b = yield(a)
  local s = "p" .. meta
  local c = yield(s)
  local sum = 0
  for v in function(_, last) if last < 3 then return yield("iter", last) end end, nil, 0 do sum = sum + v end
  local d = yield(sum)
  return (function(z) return yield(z * 2) end)(d + b + c)
end)
local feed = {0, 10, 2, "q", 3, 1, 2, 3, 4, 5}
for i = 1, #feed do show(coresume(through, feed[i])) end
print((coresume(through)))
print(costatus(through))

-- nested coroutines: the inner one's error reaches the outer one only as
-- its resume's result; statuses seen from inside
local outer
local inner = cocreate(function(n)
  print("outer is", costatus(outer))
  while n < 3 do n = n + yield(n) end
  error("inner done " .. n, 0)
end)
outer = cocreate(function()
  local total = 0
  for i = 1, 5 do
    local ok, v = coresume(inner, i)
    total = total + (ok and v or 100)
    print(i, ok, ok and v or type(v), costatus(inner))
    yield(total)
  end
  return -total
end)
for i = 1, 6 do show(coresume(outer)) end

-- resuming a running or normal coroutine, and a dead one
local selfish
selfish = cocreate(function()
  local ok, msg = coresume(selfish)
  yield(ok)
  local child = cocreate(function() return coresume(selfish) end)
  return coresume(child)
end)
show(coresume(selfish))
show(coresume(selfish))
print((coresume(selfish)))

-- a chain of coroutines, each resuming the next
local function chain(depth)
  return cocreate(function(v)
    if depth == 0 then
      while true do v = yield(v + 1) end
    end
    local next = chain(depth - 1)
    while true do
      local ok, r = coresume(next, v)
      v = yield(r * 2 % 1000)
    end
  end)
end
local top = chain(40)
local v = 1
for i = 1, 5 do
  local ok, r = coresume(top, v)
  v = r
  print(ok, r)
end
local deep = chain(300)
print((coresume(deep, 1)))

-- variable arguments and many values both ways
local many = cocreate(function(...)
  local n = select("#", ...)
  local t = {yield(n, ...)}
  return #t, unpack(t)
end)
show(coresume(many, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10))
local lots = {}
for i = 1, 60 do lots[i] = i end
show(coresume(many, unpack(lots)))

-- a coroutine that drives another between its own yields
local wrapper = cocreate(function()
  local gen = cocreate(function() for i = 1, 3 do yield(i) end end)
  local s = 0
  for i = 1, 3 do
    local _, x = coresume(gen)
    s = s + x
    yield(s)
  end
  return s
end)
for i = 1, 4 do show(coresume(wrapper)) end

-- collections while coroutines switch, with weak tables watching them
local weak = setmetatable({}, {__mode = "k"})
local kept = 0
for round = 1, 30 do
  local co = cocreate(function(x)
    local t = {}
    for i = 1, 20 do t[i] = {i} x = yield(#t + x) end
    return x
  end)
  weak[co] = true
  local s = 0
  for i = 1, 21 do
    local ok, r = coresume(co, i)
    s = s + r
  end
  kept = kept + s
  if round % 10 == 0 then collectgarbage() end
end
collectgarbage()
local left = 0
for k in pairs(weak) do left = left + 1 end
print(kept, left)
