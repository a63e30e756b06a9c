-- Training: a particle system as a game would run it: emitters and
-- particles as objects with a small class hierarchy, an array compacted as
-- particles die, counters in string-keyed tables and a status line.
local Body = {}
Body.__index = Body
function Body.new(x, y) return setmetatable({x = x, y = y, vx = 0, vy = 0}, Body) end
function Body:move()
  self.x = self.x + self.vx
  self.y = self.y + self.vy
end

local Particle = setmetatable({}, {__index = Body})
Particle.__index = Particle
function Particle.new(x, y, vx, vy, life)
  local p = setmetatable(Body.new(x, y), Particle)
  p.vx, p.vy, p.life = vx, vy, life
  return p
end
function Particle:update()
  self:move()
  self.vy = self.vy + 0.25
  self.life = self.life - 1
  return self.life > 0 and self.y < 128
end

local particles = {}
local stats = {spawned = 0, died = 0}
local seed = 7
local function rnd(n)
  seed = (seed * 75 + 74) % 431
  return seed % n
end
local line = ""
for frame = 1, 1500 do
  for e = 1, 4 do
    particles[#particles + 1] = Particle.new(32 * e, 10, rnd(5) - 2, -rnd(4), 20 + rnd(30))
    stats.spawned = stats.spawned + 1
  end
  local n = 0
  for i = 1, #particles do
    local p = particles[i]
    if p:update() then
      n = n + 1
      particles[n] = p
    else
      stats.died = stats.died + 1
    end
  end
  for i = #particles, n + 1, -1 do particles[i] = nil end
  if frame % 50 == 0 then line = "f" .. frame .. " n" .. #particles .. " d" .. stats.died % 1000 end
end
print(#particles, stats.spawned % 30000, line)
