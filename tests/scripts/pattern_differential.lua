-- shared
-- libraries
-- heavy
-- Random patterns from a small set of pieces (classes, sets, anchors,
-- captures, back references, frontiers, balanced pairs, repeats) against
-- random short subjects, through find, match, gsub and gmatch: every result
-- and error message goes into a hash printed for each thousand cases, which
-- must agree with stock Lua 5.2.
local out, report = dofile("differential_hash.lua")
local seed, mult = 123, 13
local function rnd(n)
  seed = (seed * mult + 7) % 2039
  return seed % n + 1
end
local atoms = {"%w", "[%a%d]", "[]]", "[^]]", "%x", "%S", "%p", "a", "b", ".", "%a", "%d", "[ab]", "[^a]", "%s", "(", ")", "%1", "x", "%b()", "%f[%a]", "^", "$", "*", "+", "-", "?", "[a-c]", "%%", "()"}
local chars = {"a", "b", "c", "1", "2", " ", "(", ")", "x", "%"}
for i = 1, 15000 do
  if i % 3000 == 0 then mult = ({11, 7, 5, 3, 2})[math.floor(i / 3000)] end
  local p = {}
  for k = 1, rnd(5) do p[#p + 1] = atoms[rnd(#atoms)] end
  local pat = table.concat(p)
  local s = {}
  for k = 1, rnd(10) - 1 do s[#s + 1] = chars[rnd(#chars)] end
  local subj = table.concat(s)
  local init = rnd(5) - 2
  local r1 = {pcall(string.find, subj, pat, init)}
  local r2 = {pcall(string.match, subj, pat)}
  local r3 = {pcall(string.gsub, subj, pat, "<%0>")}
  local res = {}
  for _, r in ipairs({r1, r2, r3}) do
    for j = 1, 6 do res[#res + 1] = tostring(r[j]) end
  end
  local g = {}
  local ok, err = pcall(function() for a, b in string.gmatch(subj, pat) do g[#g + 1] = tostring(a) .. "/" .. tostring(b) if #g > 20 then break end end end)
  out(string.format("%d %q %q %s %s %s", i, pat, subj, table.concat(res, " "), tostring(ok), table.concat(g, ",")))
  if i % 1000 == 0 then report("cases to " .. i) end
end
