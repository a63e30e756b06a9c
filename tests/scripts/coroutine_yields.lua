-- shared
-- Yields from every kind of place: a direct call, a tail call, the body
-- itself being yield, inside pcall, inside a generic for's iterator, inside
-- metamethods, and across nested coroutines.
local log = {}
local function note(...) for i = 1, select("#", ...) do log[#log + 1] = (select(i, ...)) end end

local direct = cocreate(function(a) local b = yield(a + 1) local c = yield(b * 2) return c - 1 end)
note(select(2, coresume(direct, 1)), select(2, coresume(direct, 10)), select(2, coresume(direct, 50)))

local tail = cocreate(function(x) return yield(x * 3) end)
note(select(2, coresume(tail, 4)), select(2, coresume(tail, 7)))

local bare = cocreate(yield)
note(select("#", coresume(bare, 1, 2, 3)), select(2, coresume(bare, 9)))

local guarded = cocreate(function()
  local ok, v = pcall(function() local r = yield(1) return r + 1 end)
  local r2 = yield(v)
  return r2
end)
note(select(2, coresume(guarded)), select(2, coresume(guarded, 20)), select(2, coresume(guarded, 30)))

local iter = cocreate(function()
  local sum = 0
  for v in function(_, last) local n = yield(last) if n then return n end end, nil, 0 do sum = sum + v end
  return sum
end)
note(select(2, coresume(iter)), select(2, coresume(iter, 5)), select(2, coresume(iter, 6)))
note(select(2, coresume(iter, nil)))

local meta = setmetatable({}, {
  __index = function(t, k) return yield(k) * 2 end,
  __add = function(a, b) return yield(100) + 1 end,
})
local mm = cocreate(function() local a = meta[21] local b = meta + 1 return a + b end)
note(select(2, coresume(mm)), select(2, coresume(mm, 4)), select(2, coresume(mm, 5)))

local inner = cocreate(function(x) while true do x = yield(x + 1) end end)
local outer = cocreate(function()
  local total = 0
  for i = 1, 5 do
    local _, v = coresume(inner, i * 10)
    total = total + v
    yield(total)
  end
  return -total
end)
for i = 1, 6 do note(select(2, coresume(outer))) end

local s = 0
for i = 1, #log do s = s + log[i] * i end
print(#log, s)
for i = 1, #log do print(log[i]) end
