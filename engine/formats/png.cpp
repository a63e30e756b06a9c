#include "engine/formats/png.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/data/gfx.h"
#include "engine/formats/lodepng_adapter.h"
#include "engine/io/file.h"
#include "engine/io/replace.h"
#include "engine/log.h"
#include "engine/log_format.h"

namespace {

// 0xAARRGGBB words in memory are B, G, R, A; PNG pixels are R, G, B, A.
void swap_red_blue(uint8_t* p, size_t pixels) {
  for (size_t i = 0; i < pixels; i++, p += 4) {
    uint8_t t = p[0];
    p[0] = p[2];
    p[2] = t;
  }
}

}  // namespace

tarq_bitmap* tarq_load_png_from_file(tarq_file* f) {
  unsigned char* pixels = nullptr;
  unsigned w = 0, h = 0;
  if (!f || LodePNG_decode32_tarq_file(&pixels, &w, &h, f) != 0) {
    free(pixels);
    return nullptr;
  }
  tarq_bitmap* b = tarq_create_bitmap(static_cast<int32_t>(w), static_cast<int32_t>(h), 32);
  if (b) {
    memcpy(b->pixels, pixels, static_cast<size_t>(w) * h * 4);
    swap_red_blue(b->pixels, static_cast<size_t>(w) * h);
  }
  free(pixels);
  return b;
}

tarq_bitmap* tarq_load_png(const char* path) {
  tarq_file* f = tarq_fopen(path, "rb");
  if (!f) return nullptr;
  tarq_bitmap* b = tarq_load_png_from_file(f);
  tarq_fclose(f);
  return b;
}

int tarq_save_png(const char* path, tarq_bitmap* bitmap) {
  if (!bitmap || (bitmap->depth != 8 && bitmap->depth != 32)) return 1;
  tarq_bitmap* copy = tarq_create_bitmap(bitmap->width, bitmap->height, 32);
  if (!copy) return 1;
  if (bitmap->depth == 32) {
    tarq_blit(bitmap, copy, 0, 0, 0, 0, bitmap->width, bitmap->height);
  } else if (tarq_video.tarq_video_palette) {
    tarq_convert_bitmap(bitmap, copy, tarq_video.tarq_video_palette);
  } else {
    tarq_palette grey;  // before the video starts: the grey ramp it starts with
    for (int i = 0; i < 256; i++) grey.rgb[i][0] = grey.rgb[i][1] = grey.rgb[i][2] = static_cast<uint8_t>(i);
    tarq_convert_bitmap(bitmap, copy, &grey);
  }
  swap_red_blue(copy->pixels, static_cast<size_t>(copy->width) * copy->height);
  unsigned char* png = nullptr;
  size_t size = 0;
  unsigned result = LodePNG_encode(&png, &size, copy->pixels, static_cast<unsigned>(copy->width),
                                   static_cast<unsigned>(copy->height), LODEPNG_COLOUR_RGBA, 8);
  if (result == 0 && tarq_replace_file(path, png, size) != 0) result = TARQ_PNG_NOT_WRITTEN;
  free(png);
  tarq_logf("tarq_save_png result: %d  file: %s\n", static_cast<int>(result), path);
  tarq_destroy_bitmap(copy);
  return static_cast<int>(result);
}
