// The clip as an animated GIF: a global colour table of the palette's first
// 18 colours (32 entries) or of all 256 when a frame uses the extended
// colours; frame 0 carries the looping extension and the same table as its
// own; every frame has a graphic control extension with transparent index 17,
// which marks pixels unchanged since the previous frame, and a delay of 3 or
// 4 hundredths of a second (3, 3, 4, ...: 30 frames a second). Frames are encoded
// one after another through one scaled raster, so the memory needed does not
// grow with the clip's length.
#include <gif_lib.h>

#include <cstdio>
#include <cstring>

#include "engine/data/gfx.h"
#include "engine/io/file.h"
#include "engine/io/path.h"
#include "engine/io/replace.h"
#include "engine/log.h"
#include "engine/platform/host.h"
#include "engine/platform/present.h"
#include "player/capture/clip_record.h"
#include "player/capture/gif.h"
#include "player/capture/gif_alloc.h"
#include "player/capture/record_output.h"
#include "player/shell_state.h"

namespace {

constexpr int32_t MAX_SCALE = 8;
constexpr int32_t SIDE = 128;
const GifByteType LOOP_NAME[11] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
const GifByteType LOOP_FOREVER[3] = {1, 0, 0};
const GifByteType FRAME_CONTROL[4] = {1, 3, 0, TOVO_GIF_TRANSPARENT};  // transparency on, 3/100 s
constexpr int32_t CLIP_FPS = 30;                                       // frames the clip holds per second of play

void log_line(const char* format, int32_t code, const char* path) {
  char line[TARQ_PATH_MAX + 64];
  if (code < 0) snprintf(line, sizeof line, format, path);
  else snprintf(line, sizeof line, format, code, path);
  tarq_debug(line);
}

// The library's output: bytes to the stdio stream in its user data.
int write_bytes(GifFileType* g, const GifByteType* bytes, int n) {
  return n > 0 ? (int)fwrite(bytes, 1, (size_t)n, (FILE*)g->UserData) : 0;
}

// 18, or 256 when any held frame has a pixel of colour 16 or above.
int32_t clip_colour_count(int32_t frames) {
  for (int32_t i = 0; i < frames; i++) {
    const tarq_bitmap* b = video_clip.slot[i];
    for (int32_t p = 0; p < SIDE * SIDE; p++)
      if (b->pixels[p] >= 16) return 256;
  }
  return 18;
}

ColorMapObject* make_colour_table(int32_t colours) {
  ColorMapObject* map = GifMakeMapObject(1 << GifBitSize(colours), nullptr);
  if (!map) return nullptr;
  for (int32_t i = 0; i < colours; i++) {
    const uint8_t* rgb = tarq_video.tarq_video_palette ? tarq_video.tarq_video_palette->rgb[i] : nullptr;
    map->Colors[i].Red = rgb ? rgb[0] : 0;
    map->Colors[i].Green = rgb ? rgb[1] : 0;
    map->Colors[i].Blue = rgb ? rgb[2] : 0;
  }
  return map;
}

// One row of frame i at scale s: unchanged source pixels become index 17.
void scale_row(GifByteType* out, int32_t i, int32_t y, int32_t s, int32_t colours) {
  const uint8_t* now = video_clip.slot[i]->rows[y / s];
  const uint8_t* before = i > 0 ? video_clip.slot[i - 1]->rows[y / s] : nullptr;
  for (int32_t x = 0; x < SIDE; x++) {
    GifByteType v = (GifByteType)(now[x] % colours);
    if (before && before[x] == now[x]) v = TOVO_GIF_TRANSPARENT;
    memset(out + x * s, v, (size_t)s);
  }
}

bool write_frame(GifFileType* g, int32_t i, int32_t s, int32_t colours, const ColorMapObject* table, GifByteType* row,
                 GifByteType* control) {
  int32_t side = SIDE * s;
  if (i == 0) {
    GifByteType* name = (GifByteType*)gif_malloc(sizeof LOOP_NAME);
    GifByteType* loop = (GifByteType*)gif_malloc(sizeof LOOP_FOREVER);
    if (!name || !loop) return false;
    memcpy(name, LOOP_NAME, sizeof LOOP_NAME);
    memcpy(loop, LOOP_FOREVER, sizeof LOOP_FOREVER);
    if (EGifPutExtensionLeader(g, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
        EGifPutExtensionBlock(g, sizeof LOOP_NAME, name) == GIF_ERROR ||
        EGifPutExtensionBlock(g, sizeof LOOP_FOREVER, loop) == GIF_ERROR || EGifPutExtensionTrailer(g) == GIF_ERROR)
      return false;
  }
  control[1] = (GifByteType)tovo_gif_frame_delay(i);
  if (EGifPutExtension(g, GRAPHICS_EXT_FUNC_CODE, sizeof FRAME_CONTROL, control) == GIF_ERROR) return false;
  if (i > 0 && g->Image.ColorMap) {
    // The library drops its copy of frame 0's table without freeing it.
    GifFreeMapObject(g->Image.ColorMap);
    g->Image.ColorMap = nullptr;
  }
  if (EGifPutImageDesc(g, 0, 0, side, side, false, i == 0 ? table : nullptr) == GIF_ERROR) return false;
  for (int32_t y = 0; y < side; y++) {
    if (y % s == 0) scale_row(row, i, y, s, colours);
    if (EGifPutLine(g, row, side) == GIF_ERROR) return false;
  }
  return true;
}

// Writes the whole file; the library's record is closed (and freed) in every case.
bool write_gif(GifFileType* g, int32_t frames, int32_t s) {
  int32_t colours = clip_colour_count(frames);
  ColorMapObject* table = make_colour_table(colours);
  GifByteType* row = (GifByteType*)gif_malloc((size_t)(SIDE * s));
  GifByteType* control = (GifByteType*)gif_malloc(sizeof FRAME_CONTROL);
  bool ok = table && row && control;
  if (ok) {
    memcpy(control, FRAME_CONTROL, sizeof FRAME_CONTROL);
    EGifSetGifVersion(g, true);
    ok = EGifPutScreenDesc(g, SIDE * s, SIDE * s, 8, 0, table) != GIF_ERROR;
  }
  for (int32_t i = 0; ok && i < frames; i++) ok = write_frame(g, i, s, colours, table, row, control);
  int error = 0;
  if (EGifCloseFile(g, &error) == GIF_ERROR) ok = false;
  GifFreeMapObject(table);
  gif_free_all();
  return ok;
}

}  // namespace

int32_t tovo_gif_frame_delay(int32_t i) { return 100 * (i + 1) / CLIP_FPS - 100 * i / CLIP_FPS; }

int32_t tovo_gif_scale(int32_t scale) {
  int32_t s = scale >= 1 ? scale : app.gif_scale;
  if (s < 1) s = 1;
  return s > MAX_SCALE ? MAX_SCALE : s;
}

int32_t save_gif(int32_t scale, int32_t destination) {
  int32_t frames = video_clip.index;
  if (frames <= 0) return TOVO_GIF_NO_FRAMES;
  for (int32_t i = 0; i < frames; i++)
    if (!video_clip.slot[i] && !(video_clip.slot[i] = tarq_create_bitmap(SIDE, SIDE, 8))) return 1;
  char path[TARQ_PATH_MAX];
  if (tovo_output_path(".gif", destination, path) != 0) return 1;
  // The clip goes to a temporary file renamed over the name once whole, so
  // a failed write never leaves a broken clip (nor empties one set by name).
  char temp[TARQ_PATH_MAX];
  tarq_file* out = tarq_open_replacement(path, temp);
  int error = E_GIF_ERR_OPEN_FAILED;
  GifFileType* g = out ? EGifOpen(out->fp, write_bytes, &error) : nullptr;
  if (!g) {
    log_line("** EGifOpenFileName error %d: %s\n", error, path);
    tarq_commit_replacement(out, temp, path, false);
    return 1;
  }
  log_line("saving gif to: %s\n", -1, path);
  bool ok = write_gif(g, frames, tovo_gif_scale(scale));
  if (tarq_commit_replacement(out, temp, path, ok) != 0) {
    log_line("** gif write error: %s\n", -1, path);
    return 1;
  }
  return 0;
}
