// One saved clip rectangle.
#include "engine/data/clip_save.h"

#include "engine/data/gfx.h"

namespace {

// The single saved clip rectangle.
struct tarq_clip_rect {
  int32_t x0, x1, y0, y1;
};

tarq_clip_rect tarq_clipdat;

}  // namespace

void tarq_save_clip(const tarq_bitmap* b) { tarq_clipdat = {b->clip_x0, b->clip_x1, b->clip_y0, b->clip_y1}; }

// The slot may come from a larger bitmap: the rectangle is kept inside this one.
void tarq_restore_clip(tarq_bitmap* b) {
  tarq_set_clip(b, tarq_clipdat.x0, tarq_clipdat.y0, tarq_clipdat.x1, tarq_clipdat.y1);
}
