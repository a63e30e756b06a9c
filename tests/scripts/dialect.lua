-- The dialect's numbers and operators: 16.16 values, their text, wrapping,
-- division by zero, integer division, bitwise operators, shifts and rotates,
-- binary and hexadecimal numerals with fractions.
print(1 / 3, 0.5, -0.25, 2 ^ 10, 7 / 2, -7 / 2)
print(32767 + 1, -32768 - 1, 200 * 200, 32767.99998)
print(1 / 0, -1 / 0, 0 / 0, 5 % 0)
print(7 \ 2, -7 \ 2, 7.5 \ 1, 7 % 3, -7 % 3, 7 % -3, 5.5 % 2)
print(0b1010, 0b1.1, 0x10, 0x1.8, 0xff.ff, 1e2)
print(12 & 10, 12 | 3, 12 ^^ 10, ~0, ~5)
print(1 << 4, 256 >> 4, -16 >> 2, -16 >>> 28, 1 << 15, 1 << 16)
print(1 <<> 16, 1 >>< 1, 0x8000 >>< 31)
print(0.5 & 0.75, 1.5 | 0.25)
print(3 < 3.0001, -1 < 0, 0.0001 > 0)
local x = 0
for i = 1, 1000 do x = x + 0.001 end
print(x)
local acc = 1
for i = 1, 20 do acc = acc * 2 end
print(acc)
print(tostring(1 / 3), tostring(-0.0001), 2 ^ 0.5, 2 ^ -1)
print(#"abc" .. 1, 1e-5, 32767 * 2)
for i = 3, 1, -0.5 do io_ = i end
print(io_)
local n = 0
for i = 1, 2, 0.25 do n = n + 1 end
print(n)
