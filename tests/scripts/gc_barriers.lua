-- Stores into objects that the collector has already marked, one collector
-- step at a time: each fresh table is reachable only through the object it
-- was stored in, so a store whose barrier failed would leave it to be freed
-- at the end of the cycle. After the cycle every one must still be there.
local N = 150
collectgarbage()
collectgarbage("stop")  -- only the steps below do any collector work

-- N closures, each with its own closed upvalue, and N tables.
local cells, plain = {}, {}
for i = 1, N do
  local v
  cells[i] = {set = function(x) v = x end, get = function() return v end}
  plain[i] = {}
end

-- One store per step through a whole cycle and into the next: a closed
-- upvalue set to a fresh table, and a metatable set on a table.
local steps, cycles = 0, 0
while cycles < 2 do
  steps = steps + 1
  local k = (steps - 1) % N + 1
  cells[k].set({k})
  setmetatable(plain[k], {id = k})
  if collectgarbage("step", 0) then cycles = cycles + 1 end
end
print("stored across", cycles, "cycles:", steps >= N)

-- Freed tables would be reused by these.
local junk = {}
for i = 1, 4 * N do junk[i] = {-i, {}} end

local lost_values, lost_metatables = 0, 0
for k = 1, N do
  local t = cells[k].get()
  if type(t) ~= "table" or t[1] ~= k then lost_values = lost_values + 1 end
  local mt = getmetatable(plain[k])
  if type(mt) ~= "table" or mt.id ~= k then lost_metatables = lost_metatables + 1 end
end
print("upvalue values lost:", lost_values)
print("metatables lost:", lost_metatables)
collectgarbage("restart")
collectgarbage()
print(#junk, cells[N].get()[1], getmetatable(plain[1]).id)
