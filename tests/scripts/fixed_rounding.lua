-- Inexact products and quotients, shown as the raw 16.16 word in
-- hexadecimal: a product keeps the floor of the exact value (toward minus
-- infinity, also for negative products and for ties), a quotient is cut
-- toward zero, and integer division clears the fraction of that quotient.
-- Each case is computed from variables and folded from constants.
local digits = {[0] = "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "a", "b", "c", "d", "e", "f"}
local function hex(x)
  local s = "0x"
  for i = 0, 7 do s = s .. digits[(x <<> (20 + 4 * i)) & 15] end
  return s
end
local p1, p3, p7, m75, one, two, three = 0.1, 0.3, 0.7, -7.5, 1, 2, 3
print("0.1*0.1", hex(p1 * p1), hex(0.1 * 0.1), p1 * p1)
print("-0.1*0.1", hex(-p1 * p1), hex(-0.1 * 0.1), -p1 * p1)
print("0.3*0.3", hex(p3 * p3), hex(0.3 * 0.3))
print("-0.3*0.3", hex(-p3 * p3), hex(-0.3 * 0.3))
print("-7.5*0.1", hex(m75 * p1), hex(-7.5 * 0.1))
print("(1/3)*3", hex(one / three * three), hex(1 / 3 * 3))
print("1/3", hex(one / three), hex(1 / 3))
print("-1/3", hex(-one / three), hex(-1 / 3))
print("1/-3", hex(one / -three), hex(1 / -3))
print("2/3", hex(two / three), hex(2 / 3))
print("-7.5/2", hex(m75 / two), hex(-7.5 / 2), m75 / two)
print("-7.5/0.7", hex(m75 / p7), hex(-7.5 / 0.7))
print("-2/0.3", hex(-two / p3), hex(-2 / 0.3))
print("-7.5\\2", hex(m75 \ two), hex(-7.5 \ 2), m75 \ two)
print("-7.5\\0.7", hex(m75 \ p7), hex(-7.5 \ 0.7))
