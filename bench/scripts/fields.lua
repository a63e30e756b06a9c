-- String-keyed tables: records with named fields, built and read back.
local names = {}
for i = 1, 200 do names[i] = "key" .. i end
local t = {}
local sum = 0
for rep = 1, 1800 do
  for i = 1, 200 do t[names[i]] = (i * (rep % 100)) % 1000 end
  for j = 1, 10 do
    for i = 1, 200 do sum = (sum + t[names[i]]) % 30011 end
  end
  local p = {x = rep, y = rep + 1, z = rep + 2, name = "p", alive = true}
  for k = 1, 100 do
    p.x = (p.x + p.y) % 1000
    p.y = (p.y + p.z) % 1000
    p.z = (p.z + p.x) % 1000
  end
  sum = (sum + p.x + p.y + p.z) % 30011
end
print(sum)
