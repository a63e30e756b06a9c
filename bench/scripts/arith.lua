-- Arithmetic loops: a linear congruential walk kept below 32768.
local x, acc = 1, 0
for j = 1, 160 do
  for i = 1, 20000 do
    x = (x * 7 + i % 1000) % 4093
    acc = (acc + x - (x % 3) * 2) % 28657
  end
end
print(x, acc)
