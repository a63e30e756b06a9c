-- Closures: made in loops, capturing locals and upvalues, called back.
local function make_adder(n)
  return function(x) return (x + n) % 10007 end
end
local function compose(f, g)
  return function(x) return g(f(x)) end
end
local acc = 0
for rep = 1, 1200 do
  local fs = {}
  for i = 1, 100 do fs[i] = make_adder(i) end
  local h = compose(fs[1], fs[2])
  for i = 3, 100 do h = compose(h, fs[i]) end
  for k = 1, 10 do acc = h(acc) end
  local count = 0
  local function bump() count = count + 1 end
  for i = 1, 200 do bump() end
  acc = (acc + count) % 10007
end
print(acc)
