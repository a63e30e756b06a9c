-- Training: a round-robin scheduler of coroutines passing messages through
-- queues, with varargs, pcall and small closures.
local queues = {}
local function send(to, ...) local q = queues[to] q[#q + 1] = pack(...) end
local function receive(me)
  local q = queues[me]
  while #q == 0 do yield() end
  return unpack(deli(q, 1))
end
local tasks = {}
local function spawn(name, f)
  queues[name] = {}
  tasks[#tasks + 1] = cocreate(function() f(name) end)
end
local total = 0
spawn("source", function()
  for i = 1, 1500 do send("double", i % 100, i) end
  send("double", -1)
end)
spawn("double", function(me)
  while true do
    local v, i = receive(me)
    send("sink", v == -1 and -1 or v * 2, i)
    if v == -1 then return end
  end
end)
spawn("sink", function(me)
  while true do
    local v = receive(me)
    if v == -1 then return end
    local ok, r = pcall(function(x) return x % 7 end, v)
    total = (total + r) % 30011
  end
end)
local running = true
while running do
  running = false
  for i = 1, #tasks do
    if costatus(tasks[i]) ~= "dead" then
      coresume(tasks[i])
      running = true
    end
  end
end
print(total)
