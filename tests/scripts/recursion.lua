-- shared
-- Deep recursion, mutual recursion and tail calls.
local function depth(n)
  if n == 0 then return 0 end
  return 1 + depth(n - 1)
end
print(depth(10000))

local function tail(n, acc)
  if n == 0 then return acc end
  return tail(n - 1, acc + 1)
end
print(tail(30000, 0))

local is_even, is_odd
function is_even(n) if n == 0 then return true end return is_odd(n - 1) end
function is_odd(n) if n == 0 then return false end return is_even(n - 1) end
print(is_even(1000), is_odd(777))

local function fib(n) if n < 2 then return n end return fib(n - 1) + fib(n - 2) end
print(fib(20))

local function ack(m, n)
  if m == 0 then return n + 1 end
  if n == 0 then return ack(m - 1, 1) end
  return ack(m - 1, ack(m, n - 1))
end
print(ack(2, 3))
