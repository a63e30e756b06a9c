-- Array tables: a sieve of primes, then sums over the array, repeated.
local count, check = 0, 0
for rep = 1, 120 do
  local n = 30000
  local composite = {}
  for i = 1, n do composite[i] = false end
  for i = 2, 173 do
    if not composite[i] then
      for j = i * i, n, i do composite[j] = true end
    end
  end
  count = 0
  for i = 2, n do
    if not composite[i] then
      count = count + 1
      check = (check + i % 1000) % 30011
    end
  end
end
print(count, check)
