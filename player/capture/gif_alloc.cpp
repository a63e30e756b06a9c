#include "player/capture/gif_alloc.h"

#include <cstdlib>

namespace {

void* blocks[TOVO_GIF_BLOCKS];
int32_t block_count;

}  // namespace

void* gif_malloc(size_t n) {
  if (block_count >= TOVO_GIF_BLOCKS) return nullptr;
  void* p = std::calloc(1, n ? n : 1);
  if (p) blocks[block_count++] = p;
  return p;
}

void gif_free_all() {
  while (block_count > 0) {
    block_count--;
    std::free(blocks[block_count]);
    blocks[block_count] = nullptr;
  }
}

int32_t gif_block_count() { return block_count; }
