-- shared
-- libraries
-- The bit32 library where its results fit in 15 bits, so they read the same
-- on both runtimes.
print(bit32.band(0xff, 0x0f), bit32.band(12, 10, 8), bit32.bor(1, 2, 4, 8), bit32.bor())
print(bit32.bxor(5, 3), bit32.bxor(0xf0f, 0xff), bit32.bxor())
print(bit32.btest(1, 2), bit32.btest(3, 2), bit32.btest())
print(bit32.lshift(1, 10), bit32.lshift(3, 4), bit32.lshift(1, -1), bit32.lshift(1024, -3))
print(bit32.rshift(0x100, 4), bit32.rshift(5, 1), bit32.rshift(1, 40), bit32.rshift(1, -3))
print(bit32.arshift(0x400, 2), bit32.arshift(0x400, -2), bit32.arshift(100, 40))
print(bit32.lrotate(1, 3), bit32.lrotate(1, 35), bit32.rrotate(8, 3), bit32.rrotate(8, -2))
print(bit32.extract(0xf0, 4, 4), bit32.extract(0x1234, 4, 8), bit32.extract(5, 0), bit32.extract(5, 1))
print(bit32.replace(0, 5, 4, 3), bit32.replace(0xff, 0, 0, 4), bit32.replace(1, 1, 3))
print(bit32.band(0x7fff, bit32.bnot(0x00f0)))

-- Flags in a byte.
local flags = 0
local function set(f, bit) return bit32.bor(f, bit32.lshift(1, bit)) end
local function clear(f, bit) return bit32.band(f, bit32.bnot(bit32.lshift(1, bit))) end
flags = set(set(set(flags, 0), 3), 7)
print(flags, bit32.btest(flags, 8), bit32.btest(flags, 4))
flags = clear(flags, 3)
print(flags, bit32.band(flags, 0xff))

-- Colour packing in 15 bits: 5 bits each.
local function pack(r, g, b) return bit32.bor(bit32.lshift(r, 10), bit32.lshift(g, 5), b) end
local c = pack(31, 16, 7)
print(c, bit32.extract(c, 10, 5), bit32.extract(c, 5, 5), bit32.extract(c, 0, 5))

-- A checksum over text.
local sum = 0
for i = 1, #"bit32 library" do
  sum = bit32.band(bit32.bxor(bit32.lshift(sum, 1), ("bit32 library"):byte(i)), 0x7fff)
end
print("checksum", sum)
print(pcall(bit32.extract, 1, -1), pcall(bit32.extract, 1, 30, 4))
