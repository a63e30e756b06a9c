-- shared
-- Closures and upvalues: counters, shared upvalues, loop variables captured
-- per iteration, upvalues that outlive their frame.
local function counter(start)
  local n = start
  return function(step)
    n = n + (step or 1)
    return n
  end, function() return n end
end

local inc, get = counter(10)
inc()
inc(5)
print(get())

local fns = {}
for i = 1, 5 do
  fns[i] = function() return i * i end
end
local s = 0
for i = 1, 5 do s = s + fns[i]() end
print(s)

local shared = {}
do
  local x = 0
  shared.add = function(v) x = x + v end
  shared.get = function() return x end
end
shared.add(7)
shared.add(8)
print(shared.get())

local function make_chain(depth)
  if depth == 0 then return function() return 0 end end
  local inner = make_chain(depth - 1)
  return function() return inner() + depth end
end
print(make_chain(20)())

local a = {}
local k = 1
while k <= 3 do
  local j = k
  a[k] = function() j = j + 100 return j end
  k = k + 1
end
print(a[1](), a[1](), a[2](), a[3]())

local function outer()
  local v = 1
  local function mid()
    local function inner() v = v * 2 return v end
    return inner
  end
  return mid(), function() return v end
end
local dbl, peek = outer()
dbl() dbl() dbl()
print(peek())
