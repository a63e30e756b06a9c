-- shared
-- libraries
-- Values passed both ways between a resume and a yield, in every number
-- (none, one, a few, more than a frame holds) and taken every way: as a
-- statement, into fixed locals, into a table constructor, as the last
-- argument of a call and as the values of a return; fresh and suspended
-- coroutines, resumed from shallow and deep frames; wrapped ones.
local function show(...)
  local n = select("#", ...)
  local text = ""
  for i = 1, n do text = text .. " " .. tostring((select(i, ...))) end
  print(n, text)
end

local function count(...) return select("#", ...) end

local function seq(n)
  local t = {}
  for i = 1, n do t[i] = i end
  return unpack(t, 1, n)
end

-- the yield's results taken each way, for each number of resume values
local takers = {
  function() yield() yield("statement") end,
  function() local a = yield() yield("one", a) end,
  function() local a, b, c = yield() yield("three", a, b, c) end,
  function() local t = {yield()} yield("table", #t, t[1], t[#t]) end,
  function() yield("count", count(yield())) end,
  function() yield("tail", (function() return yield() end)()) end,
  function() yield("vararg", (function(...) local a = ... return select("#", ...), a end)(yield())) end,
}
for ti, taker in ipairs(takers) do
  for _, n in ipairs({0, 1, 2, 3, 40, 300}) do
    local co = cocreate(taker)
    coresume(co)
    local ok, what, a, b, c = coresume(co, seq(n))
    print(ti, n, ok, what, a, b, c)
  end
end

-- the resume's results taken each way, for each number of yield values
for _, n in ipairs({0, 1, 2, 3, 40, 300}) do
  local co = cocreate(function() while true do yield(seq(n)) end end)
  coresume(co)
  local ok = coresume(co)
  local ok2, a, b = coresume(co)
  local t = {coresume(co)}
  local m = count(coresume(co))
  local function tail() return coresume(co) end
  print(n, ok, ok2, a, b, #t, t[#t], m, count(tail()))
end

-- values at the start and at the end of a coroutine
for _, n in ipairs({0, 1, 3, 300}) do
  local co = cocreate(function(...) return count(...), ... end)
  local ok, m, first = coresume(co, seq(n))
  print(n, ok, m, first, costatus(co), count(coresume(co)))
end

-- resumed from deep recursion, where the resumer's stack grows
local echo = cocreate(function(...)
  local args = {...}
  while true do args = {yield(unpack(args))} end
end)
local function deep(d)
  if d == 0 then return count(coresume(echo, seq(200))) end
  local r = deep(d - 1)
  return r
end
print(deep(150), deep(3))

-- wrapped coroutines pass values the same ways
local w = coroutine.wrap(function(...)
  local n = count(...)
  while true do n = count(yield(seq(n + 1))) end
end)
print(count(w()), count(w(1, 2)), count(w(seq(250))))
local x, y = w(7)
print(x, y)

-- a generator that switches many times, summing what it is sent
local acc = cocreate(function(s)
  while true do s = s + yield(s) end
end)
local total
for i = 1, 1000 do _, total = coresume(acc, i % 5) end
print(total, costatus(acc))
