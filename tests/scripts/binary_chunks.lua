-- libraries
-- Binary chunks: load takes text only unless the mode asks for binary; a
-- dumped function loads back and runs; a chunk whose code was changed, or
-- that was cut short, is refused.
local function f(a, b)
  return a * b + 1, 'k'
end
local d = string.dump(f)
print(load(d))
print(load(d, 'dumped', 'b')(6, 7))
print(load(d, 'dumped', 'bt')(2, 3))
print(load('return 5')(), load('return 6', 'text', 't')())
print(load('return 7', 'text', 'b'))

-- The third instruction, the load of 'k' (register 3, constant 1), made to
-- name constant 200000.
print(d:byte(42, 45))
local bad = d:sub(1, 41) .. string.char(0xc1, 0x00, 0x50, 0xc3) .. d:sub(46)
print(load(bad, 'bad', 'b'))
print(load(d:sub(1, #d - 1), 'cut', 'b'))
