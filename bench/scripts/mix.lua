-- A mix, like a game's update loop: objects in an array moved by methods,
-- fields read and written, a closure counting into a string-keyed table,
-- and a status line built now and then.
local Actor = {}
Actor.__index = Actor
local function new_actor(i)
  local a = {x = i % 128, y = (i * 7) % 128, dx = i % 3 - 1, dy = i % 5 - 2, kind = "k" .. (i % 4)}
  return setmetatable(a, Actor)
end
function Actor:update()
  self.x = (self.x + self.dx) % 128
  self.y = (self.y + self.dy) % 128
end
local actors = {}
for i = 1, 200 do actors[i] = new_actor(i) end
local counts = {}
local function tally(kind) counts[kind] = ((counts[kind] or 0) + 1) % 30011 end
local sum = 0
for frame = 1, 3000 do
  for i = 1, #actors do
    local a = actors[i]
    a:update()
    if (a.x + a.y) % 16 == 0 then tally(a.kind) end
    sum = (sum + a.x * 2 + a.y) % 30011
  end
  if frame % 30 == 0 then
    local line = ""
    for k = 0, 3 do line = line .. (counts["k" .. k] or 0) .. "," end
    sum = (sum + #line) % 30011
  end
end
print(sum, counts.k0, counts.k1, counts.k2, counts.k3)
