-- shared
-- goto: continue in loops, breaking out of nested loops, backward jumps.
local s = 0
for i = 1, 10 do
  if i % 2 == 0 then goto continue end
  s = s + i
  ::continue::
end
print(s)

local found
for i = 1, 5 do
  for j = 1, 5 do
    if i * j == 12 then
      found = i * 10 + j
      goto done
    end
  end
end
::done::
print(found)

local n = 0
::again::
n = n + 1
if n < 5 then goto again end
print(n)

do
  local k = 0
  ::top::
  k = k + 1
  if k < 3 then goto top end
  print(k)
end

local fs = {}
do
  local i = 1
  ::loop::
  local j = i
  fs[i] = function() return j end
  i = i + 1
  if i <= 3 then goto loop end
end
print(fs[1](), fs[2](), fs[3]())
