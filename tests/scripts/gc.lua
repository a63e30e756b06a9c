-- The collector: garbage made in loops is reclaimed, weak tables lose
-- entries that nothing else holds, and the counters answer.
local keep = {}
for i = 1, 200 do
  local t = {i, tostring(i), {i}}
  if i % 50 == 0 then keep[#keep + 1] = t end
end
collectgarbage()
print(#keep, keep[4][2])
local kb = collectgarbage("count")
print(kb > 0, kb < 2000)
local weak = setmetatable({}, {__mode = "k"})
local weakv = setmetatable({}, {__mode = "v"})
do
  local key = {}
  weak[key] = 1
  weakv[1] = {}
  weakv[2] = keep
end
collectgarbage()
local n = 0
for _ in pairs(weak) do n = n + 1 end
print(n, weakv[1], weakv[2] == keep)
print(collectgarbage("isrunning"))
collectgarbage("stop")
print(collectgarbage("isrunning"))
collectgarbage("restart")
print(collectgarbage("step", 0) ~= nil)
local s = ""
for i = 1, 300 do s = s .. "x" end
print(#s)
