-- Training: a binary search tree: recursive insertion and walks, closures
-- as visitors, a generator of its keys in a coroutine, and a fold.
local function insert(node, key)
  if node == nil then return {key = key} end
  if key < node.key then
    node.left = insert(node.left, key)
  else
    node.right = insert(node.right, key)
  end
  return node
end
local function walk(node, visit)
  if node == nil then return end
  walk(node.left, visit)
  visit(node.key)
  walk(node.right, visit)
end
local function keys(root)
  return cocreate(function() walk(root, yield) end)
end
local total = 0
for rep = 1, 40 do
  local root = nil
  local seed = rep
  for i = 1, 600 do
    seed = (seed * 109 + 89) % 293
    root = insert(root, seed)
  end
  local sum, count = 0, 0
  walk(root, function(k)
    sum = (sum + k) % 30011
    count = count + 1
  end)
  local co, last, ordered = keys(root), -1, true
  while true do
    local ok, k = coresume(co)
    if k == nil then break end
    if k < last then ordered = false end
    last = k
  end
  total = (total + sum + count) % 30011
  assert(ordered)
end
print(total)
