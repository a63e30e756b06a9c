-- shared
-- libraries
-- heavy
-- string.format over every conversion with flags, widths and precisions, on
-- whole numbers and on halves and quarters (exact in both number models):
-- the texts go into a hash printed for each conversion, which must agree
-- with stock Lua 5.2.
local out, report = dofile("differential_hash.lua")
local flags = {"", "-", "+", " ", "#", "0", "-+", "0 "}
local widths = {"", "1", "7", "12"}
local precs = {"", ".0", ".3", ".10"}
local convs = {"d", "i", "o", "u", "x", "X", "e", "E", "f", "g", "G", "s", "c"}
local vals = {0, 1, -1, 7, 255, -300, 32767, -32768, 0.5, -2.25, 1.75}
for _, c in ipairs(convs) do
  for _, f in ipairs(flags) do
    for _, w in ipairs(widths) do
      for _, p in ipairs(precs) do
        local spec = "%" .. f .. w .. p .. c
        local res = {}
        for _, v in ipairs(vals) do
          if c == "c" then v = math.abs(math.floor(v)) % 128 end
          if (c == "d" or c == "i" or c == "o" or c == "u" or c == "x" or c == "X") and v % 1 ~= 0 then v = math.floor(v) end
          if (c == "o" or c == "u" or c == "x" or c == "X") and v < 0 then if v == -32768 then v = 1 else v = -v end end
          local ok, r = pcall(string.format, spec, v)
          res[#res + 1] = tostring(ok) .. ":" .. tostring(r)
        end
        out(spec .. " " .. table.concat(res, "|"))
      end
    end
  end
  report("%" .. c)
end
print(string.format("%q", "\1\0012\r\n\t\"\\\255"))
