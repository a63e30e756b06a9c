-- shared
-- libraries
-- The table library as scripts written for stock Lua use it: insert and
-- remove at positions, concat with ranges, sort with and without an order
-- function (and with an invalid one), pack and unpack, and string-keyed
-- records sorted for printing.
local t = {}
for i = 1, 10 do table.insert(t, i * i) end
table.insert(t, 1, 0)
table.insert(t, 6, -1)
print(#t, table.concat(t, ","))
print(table.remove(t), table.remove(t, 1), table.remove(t, 5), #t)
print(table.concat(t, " "), table.concat(t, "-", 3, 5), table.concat(t, "", 4, 3) == "")
print(pcall(table.insert, t, 1, 2, 3))
print(pcall(table.insert, t, 99, 1))
print(pcall(table.concat, {1, 2, {}}))
print(table.remove({}), #t)

-- Sorting numbers, strings, and records by two keys.
local nums = {}
local seed = 7
for i = 1, 60 do
  seed = (seed * 31 + 13) % 997
  nums[i] = seed
end
table.sort(nums)
local ok = true
for i = 2, #nums do if nums[i - 1] > nums[i] then ok = false end end
print("ascending", ok, nums[1], nums[30], nums[60])
table.sort(nums, function(a, b) return a > b end)
print("descending", nums[1], nums[60])

local names = {"pear", "apple", "fig", "banana", "cherry", "date", "elderberry"}
table.sort(names)
print(table.concat(names, " "))
table.sort(names, function(a, b)
  if #a ~= #b then return #a < #b end
  return a < b
end)
print(table.concat(names, " "))

local people = {
  {name = "ada", age = 36}, {name = "bob", age = 25}, {name = "cy", age = 36},
  {name = "dee", age = 19}, {name = "eve", age = 25}, {name = "fay", age = 51},
}
table.sort(people, function(a, b)
  if a.age ~= b.age then return a.age < b.age end
  return a.name < b.name
end)
local line = {}
for i, p in ipairs(people) do line[i] = p.name .. ":" .. p.age end
print(table.concat(line, " "))

print(pcall(table.sort, {5, 3, 1, 4, 2, 9, 8, 7, 6, 10, 12, 11, 15, 14, 13}, function(a, b) return true end))
print(pcall(table.sort, {1, 2}, 3))

-- pack and unpack.
local packed = table.pack(1, nil, 3, nil)
print(packed.n, packed[1], packed[2], packed[3])
print(table.unpack({1, 2, 3}))
print(table.unpack({1, 2, 3}, 2))
print(table.unpack({1, 2, 3}, 2, 3))
print(select("#", table.unpack({}, 1, 3)))

-- A small inventory: counts by category, printed with sorted keys.
local items = "apple:fruit,carrot:veg,banana:fruit,leek:veg,cherry:fruit,salt:spice"
local by_category = {}
for name, cat in items:gmatch("(%w+):(%w+)") do
  by_category[cat] = by_category[cat] or {}
  table.insert(by_category[cat], name)
end
local cats = {}
for cat in pairs(by_category) do cats[#cats + 1] = cat end
table.sort(cats)
for _, cat in ipairs(cats) do
  local list = by_category[cat]
  table.sort(list, function(a, b) return a > b end)
  print(string.format("%-6s %d %s", cat, #list, table.concat(list, ",")))
end

-- A queue and a stack built on insert and remove.
local queue = {}
for i = 1, 5 do table.insert(queue, "job" .. i) end
local done = {}
while #queue > 0 do
  local job = table.remove(queue, 1)
  done[#done + 1] = job
  if job == "job2" then table.insert(queue, "job2b") end
end
print(table.concat(done, " "))
local stack = {}
for c in ("a(b[c]{d}e)f"):gmatch("[%(%[{%)%]}]") do
  if c:find("[%(%[{]") then
    table.insert(stack, c)
  else
    local open = table.remove(stack)
    print("close", c, "matches", open)
  end
end
print("left", #stack)
