-- shared
-- Variable arguments: select, packing, passing through, adjusting to one value.
local function count(...) return select("#", ...) end
print(count(), count(nil), count(nil, nil), count(1, nil, 3))

local function second(...) return (select(2, ...)) end
print(second(10, 20, 30))

local function last(...) return select(-1, ...) end
print(last(1, 2, 3))

local function tail(...) return select(2, ...) end
print(tail(1, 2, 3, 4))

local function sum(...)
  local s = 0
  local t = {...}
  for i = 1, select("#", ...) do s = s + (t[i] or 0) end
  return s
end
print(sum(1, 2, 3, nil, 5))

local function pass(...) return ... end
print(pass(4, 5, 6))
print((pass(4, 5, 6)))

local function wrap(f, ...)
  local args = pack(...)
  return f(unpack(args, 1, args.n))
end
print(wrap(sum, 1, 2, 3))
print(pack(1, nil, 3).n)

local t = {pass(1, 2), pass(3, 4)}
print(#t, t[1], t[2], t[3])

local function varfirst(a, b, ...)
  return a, b, select("#", ...)
end
print(varfirst(1))
print(varfirst(1, 2, 3, 4, 5))

print(select(2, "a", "b", "c"))
print(select("#"))

-- Frames of functions with variable arguments, growing the stack as they go.
local function deep(n, ...)
  if n == 0 then return select("#", ...) end
  return deep(n - 1, n, ...)
end
local function deeper(n, a, ...)
  if n == 0 then return select("#", ...), a end
  local c, x = deeper(n - 1, n, a, ...)
  return c, x + n
end
print(deep(150), deeper(120, 0))
