-- libraries
-- The standard libraries where the 16.16 numbers make the results differ
-- from stock Lua: bit32 keeps the low 16 bits, math works on 16.16 values,
-- and strings have the library as their methods.
print(bit32.lshift(1, 16), bit32.band(), bit32.bnot(0), bit32.lshift(1, 15), bit32.rshift(-1, 16))
print(bit32.bor(0x8000, 1), bit32.arshift(-32768, 4), bit32.lrotate(-32768, 1))
print(math.pi, math.huge, math.floor(-2.5), math.ceil(-2.5), math.sqrt(2), math.sin(math.pi / 2))
print(math.abs(-32768), math.max(0.5, 0.25), math.fmod(5.5, 2), math.modf(3.75))
print(math.pow(2, 15), math.exp(20), math.log(0), math.sqrt(-4))
print(string.format("%d %x %.4f", 1.75, -1, 1 / 3))
print(("%d items"):format(3), ("abc"):len(), #string.rep("ab", 3))
print(string.byte("A"), string.char(0x41), pcall(string.char, 256))
print(string.find("\128name\31", "%a+"), string.match("x\200\201y", "%W+"))
print(io, type(package.loaded.string), _VERSION)
