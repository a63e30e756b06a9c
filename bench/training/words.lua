-- Training: text handling: words built from syllables, counted in a table
-- keyed by the word, sorted by an insertion sort on their counts, and a
-- report joined from pieces and numbers.
local syllables = {"ka", "lo", "mi", "ne", "ru", "ta", "vo", "zi"}
local counts, words = {}, {}
local seed = 3
for r = 1, 8 do
  for i = 1, 5000 do
    seed = (seed * 61 + 17) % 509
    local a = seed % 8
    local b = (seed - a) / 8 % 8
    local w = syllables[a + 1] .. syllables[b + 1]
    if seed % 3 == 0 then w = w .. syllables[(seed - a - b * 8) / 64 % 8 + 1] end
    local c = counts[w]
    if c == nil then
      words[#words + 1] = w
      counts[w] = 1
    else
      counts[w] = c + 1
    end
  end
end
for i = 2, #words do
  local w = words[i]
  local c = counts[w]
  local j = i - 1
  while j >= 1 and (counts[words[j]] < c or (counts[words[j]] == c and words[j] > w)) do
    words[j + 1] = words[j]
    j = j - 1
  end
  words[j + 1] = w
end
local report = ""
for i = 1, 10 do report = report .. words[i] .. "=" .. counts[words[i]] .. " " end
local total = 0
for round = 1, 200 do
  local parts = {}
  for i = 1, #words do parts[i] = words[i] .. ":" .. (counts[words[i]] + round) % 100 end
  local s = ""
  for i = 1, 50 do s = s .. parts[i] end
  total = (total + #s) % 30011
end
print(#words, report, total)
