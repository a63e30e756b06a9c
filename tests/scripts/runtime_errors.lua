-- Runtime errors: messages without a position (the line goes to the
-- console), argument errors that name the function by its global name, and
-- an error that nothing catches, reported with a traceback.
print(pcall(function() local x; return x.field end))
print(pcall(function() return undefinedglobal.x end))
print(pcall(function() local a = {} return a.b.c end))
print(pcall(function() undefinedfn() end))
print(pcall(function() local s = "x" return s + 1 end))
print(pcall(function() return {} < {} end))
print(pcall(function() return 1 < "2" end))
print(pcall(function() return {} .. "" end))
print(pcall(function() return #5 end))
print(pcall(function() local t = {} t[nil] = 1 end))
print(pcall(function() return -{} end))
print(pcall(pcall))
print(pcall(setmetatable, nil, {}))
print(pcall(setmetatable, {}, 5))
print(pcall(rawlen, 5))
print(pcall(rawget, 5))
print(pcall(select, 0))
print(pcall(select, "x"))
print(pcall(cocreate, 1))
print(pcall(coresume, 1))
print(pcall(costatus))
print(pcall(assert, false, {}))
print(pcall(tostring))
print(pcall(unpack))
print(pcall(ipairs))

print(pcall(function() return 1 & {} end))
print(pcall(function() return @{} end))
local function level3() local t = nil; return t[1] end
local function level2() return level3() + 1 end
function level1() return level2() + 1 end
level1()
print("not reached")
