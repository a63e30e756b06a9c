-- Gives the stock reference interpreter the names that the runner registers,
-- with the console's semantics where the programs that run on both use them.
cocreate = coroutine.create
coresume = coroutine.resume
costatus = coroutine.status
yield = coroutine.yield
pack = table.pack
unpack = table.unpack

function add(t, v, i)
  if i == nil then
    t[#t + 1] = v
  else
    table.insert(t, i, v)
  end
  return v
end

function deli(t, i)
  local n = #t
  i = i or n
  if i < 1 or i > n then return end
  return table.remove(t, i)
end

function del(t, v)
  for i = 1, #t do
    if t[i] == v then return table.remove(t, i) end
  end
end

function count(t, ...)
  if select("#", ...) == 0 then return #t end
  local v, c = ..., 0
  for i = 1, #t do
    if t[i] == v then c = c + 1 end
  end
  return c
end
