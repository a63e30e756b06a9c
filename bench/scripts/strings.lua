-- String building: joining pieces, numbers into text, lengths and equality.
local total = 0
for rep = 1, 1500 do
  local s = ""
  for i = 1, 200 do s = s .. (i % 10) end
  local parts = {}
  for i = 1, 100 do parts[i] = "item" .. i .. ";" end
  local joined = ""
  for i = 1, 100 do joined = joined .. parts[i] end
  total = (total + #s + #joined) % 30011
  if s == joined then total = total + 1 end
end
print(total)
