// libFuzzer target: the text-cart reader on any bytes. A cart that reads is
// written and read again, and must come back the same (the version is
// always written as the current one, map rows 32-63 belong to the sheet and
// an all-zero label is left out).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "console/machine/cart.h"
#include "engine/config.h"
#include "engine/data/gfx.h"
#include "engine/io/file.h"
#include "engine/io/stream_values.h"
#include "player/cart/cart_text.h"

namespace {

bool label_blank(const tarq_bitmap* label) {
  if (!label) return true;
  for (int i = 0; i < 128 * 128; i++)
    if (label->pixels[i]) return false;
  return true;
}

void check_same(const tovo_cart* a, const tovo_cart* b) {
  if (strlen(a->code) >= TOVO_CODE_SIZE - 1) std::abort();
  if (strcmp(a->code, b->code) != 0) std::abort();
  if (memcmp(a->gfx->pixels, b->gfx->pixels, 128 * 128) != 0) std::abort();
  if (memcmp(a->map->pixels, b->map->pixels, 128 * 32) != 0) std::abort();
  if (memcmp(a->gff, b->gff, sizeof a->gff) != 0) std::abort();
  if (memcmp(a->sfx, b->sfx, sizeof a->sfx) != 0) std::abort();
  if (memcmp(a->music, b->music, sizeof a->music) != 0) std::abort();
  if (memcmp(a->music_flags, b->music_flags, sizeof a->music_flags) != 0) std::abort();
  if (memcmp(a->change_mask, b->change_mask, sizeof a->change_mask) != 0) std::abort();
  if (label_blank(a->label) != label_blank(b->label)) std::abort();
  if (a->label && b->label && memcmp(a->label->pixels, b->label->pixels, 128 * 128) != 0) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > (1 << 20)) return 0;
  int headerless = data[0] & 1;
  cconfig.accept_future = (data[0] >> 1) & 1;
  tarq_file* in = tarq_fopen_memory(data + 1, static_cast<int32_t>(size - 1));
  tovo_cart* a = tarq_load_tovo_cart_from_file(in, headerless);
  tarq_fclose(in);
  if (!a) return 0;

  tarq_file* out = tarq_fopen_vdisk("fuzz_text_cart.kx", "w");
  if (tarq_save_tovo_cart_to_file(a, out, 0) != 0) std::abort();
  tarq_file* again = tarq_fopen_memory(out->data, out->size);
  cconfig.accept_future = 0;
  tovo_cart* b = tarq_load_tovo_cart_from_file(again, 0);
  tarq_fclose(again);
  if (!b) std::abort();
  check_same(a, b);
  tarq_destroy_tovo_cart(a);
  tarq_destroy_tovo_cart(b);
  return 0;
}
