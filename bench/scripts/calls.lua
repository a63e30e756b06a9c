-- Function calls: small functions of one to three arguments, with one or
-- two results, called from a loop (no recursion).
local function add3(a, b, c) return a + b + c end
local function swap(a, b) return b, a end
local function clamp(v, lo, hi)
  if v < lo then return lo elseif v > hi then return hi end
  return v
end
local function step(x) return (x * 3 + 1) % 1021 end
local acc, p, q = 0, 1, 2
for j = 1, 120 do
  for i = 1, 10000 do
    p, q = swap(p, q)
    acc = (acc + add3(p, q, step(i % 1000))) % 30011
    acc = clamp(acc, 100, 30000)
  end
end
print(acc, p, q)
