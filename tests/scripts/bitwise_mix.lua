-- '&' and '|' mixed with each other and with the other operators: '&' binds
-- tighter than '^^', which binds tighter than '|'; shifts and arithmetic bind
-- tighter than all three, comparisons looser. They work on all 32 bits of
-- the 16.16 value, fraction included.
print(12 & 10 | 3, 3 | 12 & 10, 5 | 3 & 6 | 8, (5 | 3) & 6)
print(6 & 3 ^^ 5 | 8, 1 | 1 << 4 & 0xff, 2 + 3 & 4 | 1)
print(1 | 2 == 3, 4 & 4 == 4)
print(0.75 & 0.5 | 0.125, 1.5 | 0.25 & 3.75, -1 & 0x0.ffff | 2)
print(~0 & 0x7fff.ffff | 0x8000)
local a, b, c = 12, 10, 3
print(a & b | c, c | a & b, a | b & c, (a | b) & c)
local n = -2.5
print(n & 0xffff, n | 0.25, n & 1 | 4, n & 0x0.ffff | n & 0xffff)
local m = 0
for i = 0, 3 do m = m | 1 << i * 2 end
print(m, m & 0x0f | 0x100, m | m >> 1 & 0x55)
