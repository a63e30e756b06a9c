-- shared
-- libraries
-- The string library as scripts written for stock Lua use it: patterns with
-- captures, anchors, frontiers and balanced pairs, gsub with strings, tables
-- and functions, format, and the byte-level functions, through the library
-- table and through string methods.
local text = [[
The quick brown fox jumps over the lazy dog.
The dog sleeps; the fox (a clever one) runs away!
Numbers: 12, 345 and 6789 -- and (nested (parens) here).
]]

-- Word frequencies, printed in a fixed order.
local freq = {}
for word in text:lower():gmatch("%a+") do
  freq[word] = (freq[word] or 0) + 1
end
local words = {}
for w in pairs(freq) do words[#words + 1] = w end
table.sort(words, function(a, b)
  if freq[a] ~= freq[b] then return freq[a] > freq[b] end
  return a < b
end)
for i = 1, 6 do
  print(string.format("%-8s %3d", words[i], freq[words[i]]))
end
print("distinct words", #words)

-- Lines, and the first and last word of each.
local n = 0
for line in text:gmatch("[^\n]+") do
  n = n + 1
  print(n, line:match("^(%a+)"), line:match("(%a+)%p*$"), #line)
end

-- Numbers and their positions.
for pos, num in text:gmatch("()(%d+)") do
  print("number", num, "at", pos, "as number", tonumber(num) + 1)
end

-- find with and without patterns, plain find, init positions.
print(text:find("fox"), text:find("fox", 20), text:find("%(a"), text:find("(a", 1, true))
print(("a+b=c"):find("+", 1, true), ("a+b=c"):find("%+"), ("hello"):find("l", -2))
print(string.find("abc", "x"), string.find("", ""), string.find("abc", "$"))

-- Balanced pairs and frontiers.
print(text:match("%b()"), select(2, text:gsub("%b()", "")))
print(("THE (quick) fox"):gsub("%f[%a]%a+", function(w) return w:sub(1, 1) .. w:sub(2):lower() end))
print(("one two  three"):gsub("%f[%w]", "<"))

-- Captures: nested, position, back references.
print(string.match("key=value; other=thing", "((%w+)=(%w+))"))
print(string.match("[[nested]]", "%[(%[?)(.-)%]%1"))
print(string.find("xyzzy", "(z+)()"))
print(string.match('say "hi" and "bye"', '(["\'])(.-)%1'))
print(("aaa bbb aaa"):match("^(%a+) .* %1$"))

-- gsub with strings, tables, functions and limits.
local vars = {name = "tovo", version = "5", what = "runtime"}
print((("${name} is a ${what}, v${version}; ${missing}"):gsub("%${(%w+)}", vars)))
print(("hello world from lua"):gsub("(%w+)", "<%1>"))
print(("hello world"):gsub("o", "0", 1))
print(("abc"):gsub("", "-"))
print(("  trim both ends  "):gsub("^%s+", ""):gsub("%s+$", ""))
print(string.gsub("x = 1, y = 22, z = 333", "(%w+) = (%d+)", "%2=%1"))
print(string.gsub("abc", "%w", "%0%0"), string.gsub("50%", "%%", "%%%%"))
print(string.gsub("camelCaseWordsHere", "(%u)", function(c) return "_" .. c:lower() end))
print(string.gsub("1 2 3 4", "%d", function(d) if d ~= "3" then return d * 2 end end))

-- Run-length encoding and decoding.
local function rle(s)
  local out = {}
  local i = 1
  while i <= #s do
    local c = s:sub(i, i)
    local j = i
    while s:sub(j + 1, j + 1) == c do j = j + 1 end
    out[#out + 1] = (j - i + 1) .. c
    i = j + 1
  end
  return table.concat(out)
end
local encoded = rle("aaabccddddde")
print(encoded, (encoded:gsub("(%d+)(%a)", function(k, c) return c:rep(tonumber(k)) end)))

-- Bytes, chars, case, reverse, rep, sub.
local s = "Hello, World"
print(s:len(), #s, s:upper(), s:lower(), s:reverse())
print(s:sub(1, 5), s:sub(-5), s:sub(8, -1), s:sub(0), s:sub(20), s:sub(5, 2) == "")
print(s:byte(1), s:byte(-1), s:byte(1, 3))
print(string.char(72, 105, 33), string.char())
print(("ab"):rep(3), ("ab"):rep(3, "|"), ("x"):rep(0) == "", ("x"):rep(-1) == "")
local shifted = s:gsub("%a", function(c)
  local base = c:match("%l") and 97 or 65
  return string.char((c:byte() - base + 13) % 26 + base)
end)
print(shifted)

-- format.
print(string.format("[%5d] [%-5d] [%05d] [%+d] [%x] [%X] [%o] [%c]", 42, 42, 42, 7, 255, 3054, 8, 65))
print(string.format("[%s] [%10s] [%-10s] [%.2s]", "str", "right", "left", "truncate"))
print(string.format("%q", 'a "quoted"\n string\\ with \0 zero'))
print(string.format("%5.1f|%.3f|%g|%e", 2.5, 0.25, 0.5, 0.75))
print(string.format("%s %s %s %d%%", true, nil, 12, 100))
print(pcall(string.format, "%d", "x"))
print(pcall(string.rep))

-- Pattern classes on ASCII bytes.
local classes = {"a", "c", "d", "g", "l", "p", "s", "u", "w", "x"}
local sample = "aZ9 _!\t\1"
for _, k in ipairs(classes) do
  local hits = select(2, sample:gsub("%" .. k, ""))
  local misses = select(2, sample:gsub("%" .. k:upper(), ""))
  print(k, hits, misses)
end
print(("a1-b2_c3"):gsub("[%a_]", "."), ("x-y"):gsub("[a-z]", "#"), ("]x["):gsub("[]]", "!"))
print(("caret^"):find("^", 1, true), ("caret^"):find("%^"), ("a.b"):gsub("%.", "%%"))
