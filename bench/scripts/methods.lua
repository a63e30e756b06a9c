-- Method calls through metatables: a small class with inheritance.
local Point = {}
Point.__index = Point
function Point.new(x, y) return setmetatable({x = x, y = y}, Point) end
function Point:move(dx, dy)
  self.x = (self.x + dx) % 1000
  self.y = (self.y + dy) % 1000
end
function Point:sum() return self.x + self.y end

local Mover = setmetatable({}, {__index = Point})
Mover.__index = Mover
function Mover.new(x, y, speed)
  local m = setmetatable(Point.new(x, y), Mover)
  m.speed = speed
  return m
end
function Mover:step() self:move(self.speed, self.speed * 2) end

local objs = {}
for i = 1, 100 do objs[i] = Mover.new(i, i * 2, i % 7 + 1) end
local total = 0
for rep = 1, 3200 do
  for i = 1, 100 do
    local o = objs[i]
    o:step()
    total = (total + o:sum()) % 30011
  end
end
print(total)
