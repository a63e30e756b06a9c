-- Training: a cellular automaton on a grid of rows (arrays of arrays):
-- neighbour sums, rules by comparison, and a checksum of the cells.
local w, h = 64, 48
local grid, next_grid = {}, {}
for y = 1, h do
  grid[y], next_grid[y] = {}, {}
  for x = 1, w do grid[y][x] = ((x * 7 + y * 13) % 5 == 0) and 1 or 0 end
end
local check = 0
for gen = 1, 40 do
  for y = 1, h do
    local up, row, down = grid[(y - 2) % h + 1], grid[y], grid[y % h + 1]
    local out = next_grid[y]
    for x = 1, w do
      local l, r = (x - 2) % w + 1, x % w + 1
      local n = up[l] + up[x] + up[r] + row[l] + row[r] + down[l] + down[x] + down[r]
      if n == 3 or (n == 2 and row[x] == 1) then out[x] = 1 else out[x] = 0 end
    end
  end
  grid, next_grid = next_grid, grid
  local alive = 0
  for y = 1, h do
    local row = grid[y]
    for x = 1, w do alive = alive + row[x] end
  end
  check = (check * 3 + alive) % 30011
end
print(check)
