-- Recursive calls: Fibonacci numbers by plain recursion.
local function fib(n)
  if n < 2 then return n end
  return fib(n - 1) + fib(n - 2)
end
local sum = 0
for i = 1, 300 do sum = (sum + fib(20)) % 20011 end
print(sum)
