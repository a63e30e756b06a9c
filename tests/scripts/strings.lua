-- shared
-- String coercion: arithmetic on numeric strings, concatenation of numbers,
-- comparison rules, tostring and tonumber.
print("10" + 5, "3" * "4", 10 .. 20, "0x10" + 0)
print(1 .. "", #("abc" .. 12))
print(tonumber("42"), tonumber("  7  "), tonumber("z"), tonumber("10", 2), tonumber("ff", 16))
print(tostring(12), tostring(nil), tostring(true), tostring("s"))
print("a" < "b", "abc" < "abd", "Z" < "a", "" < "a", "10" < "9")
print(10 == "10", "x" == "x")
local ok = pcall(function() return "abc" + 1 end)
print(ok)
local parts = {}
for i = 1, 5 do parts[#parts + 1] = i end
local s = ""
for i = 1, #parts do s = s .. parts[i] .. (i < #parts and "," or "") end
print(s)
print(#"hello\0world", "tab\tand\\backslash")
print("\65\066\x43", '\'', "\"")
print(-"2" + 0, "5" - -"5")
