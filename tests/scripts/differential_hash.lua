-- Two small hashes of the text written through out (every step stays below
-- 32768); report prints them with a label and the count of texts, then starts
-- again. The differential programs load it with dofile.
local h1, h2, lines = 0, 0, 0
local function out(text)
  for i = 1, #text do
    local b = text:byte(i)
    h1 = (h1 * 5 + b) % 4091
    h2 = (h2 * 7 + b) % 4093
  end
  lines = lines + 1
end
local function report(label)
  print(label, h1, h2, lines)
  h1, h2, lines = 0, 0, 0
end
return out, report
