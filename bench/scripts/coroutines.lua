-- Coroutine switching: a generator and a consumer passing values.
local function gen(n)
  return cocreate(function()
    for i = 1, n do yield(i % 97) end
    return -1
  end)
end
local total = 0
for rep = 1, 200 do
  local co = gen(2000)
  while true do
    local ok, v = coresume(co)
    if v == -1 then break end
    total = (total + v) % 30011
  end
end
local echo = cocreate(function(v)
  while true do v = yield((v * 3) % 1009) end
end)
local v = 1
for j = 1, 10 do
  for i = 1, 20000 do
    local ok, r = coresume(echo, v)
    v = r
  end
end
print(total, v)
