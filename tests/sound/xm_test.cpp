// Modules: the written layout, reading back what was written, refusing
// corrupt and truncated files, the player's rows, jumps and end, and the
// module stream in the mixer.
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/io/file.h"
#include "engine/tracked_mem.h"
#include "sound/items/pod_items.h"
#include "sound/xm/xm.h"
#include "sound/xm/xm_music_objects.h"
#include "sound/xm/xm_read.h"
#include "sound/xm/xm_render.h"
#include "sound/xm/xm_write.h"
#include "tests/sound/mixer_fixture.h"

using namespace tovo_sound_test;

namespace {

constexpr int32_t SAMPLE_LEN = 64;
constexpr size_t PATTERNS_AT = 60 + 276;

// A module of `channels` channels, two patterns, orders {0, 1} and one
// instrument: a looping 16-bit square of 64 samples.
tarq_xm* make_module(int32_t channels = 2) {
  tarq_xm* xm = tarq_create_xm();
  std::memcpy(xm->name, "abc", 3);
  xm->song_length = 2;
  xm->channels = channels;
  xm->tempo = 3;
  xm->bpm = 125;
  xm->orders[0] = 0;
  xm->orders[1] = 1;
  xm->pattern_count = 2;
  xm->patterns = (tarq_xm_pattern*)tarq_calloc(sizeof(tarq_xm_pattern) * 2);
  xm->patterns[0].rows = 4;
  xm->patterns[0].cell[0][0] = {49, 1, 0x50, 0, 0};     // C-4 at full volume
  xm->patterns[0].cell[2][1] = {61, 1, 0x30, 4, 0x38};  // every field set: five plain bytes
  xm->patterns[1].rows = 2;
  xm->patterns[1].cell[1][0] = {97, 0, 0, 0, 0};  // key off
  EXPECT_TRUE(tarq_xm_alloc_instruments(xm, 1));
  tarq_xm_instrument& ins = xm->instruments[1];
  std::memcpy(ins.name, "square", 6);
  ins.sample_count = 1;
  ins.volume_points = 2;
  ins.volume_env[0][0] = 0, ins.volume_env[0][1] = 64;
  ins.volume_env[1][0] = 10, ins.volume_env[1][1] = 32;
  ins.volume_type = 1;
  ins.fadeout = 300;
  tarq_xm_sample& s = ins.sample;
  s.length = SAMPLE_LEN;
  s.loop_start = 0;
  s.loop_length = SAMPLE_LEN;
  s.volume = 64;
  s.finetune = -16;
  s.type = 1 | TARQ_XM_SAMPLE_16BIT;
  s.relative_note = 2;
  s.data = (int16_t*)tarq_malloc(sizeof(int16_t) * SAMPLE_LEN);
  for (int i = 0; i < SAMPLE_LEN; i++) s.data[i] = (int16_t)(i < SAMPLE_LEN / 2 ? 20000 : -20000);
  return xm;
}

std::string to_bytes(const tarq_xm* xm) {
  tarq_file* f = tarq_create_buffer(1024);
  EXPECT_EQ(tarq_save_xm_to_file(xm, f), 0);
  std::string out(reinterpret_cast<const char*>(f->data), (size_t)f->size);
  tarq_fclose(f);
  return out;
}

tarq_xm* from_bytes(const std::string& b) {
  return tarq_read_xm(reinterpret_cast<const uint8_t*>(b.data()), (int32_t)b.size());
}

void put16(std::string& b, size_t at, uint32_t v) {
  b[at] = (char)(v & 0xff);
  b[at + 1] = (char)(v >> 8);
}

// Offset of the first instrument: behind the two patterns.
size_t instrument_at(const std::string& b) {
  size_t at = PATTERNS_AT;
  for (int p = 0; p < 2; p++) {
    const size_t packed = (uint8_t)b[at + 7] | (size_t)(uint8_t)b[at + 8] << 8;
    at += 9 + packed;
  }
  return at;
}

}  // namespace

TEST(XmFile, WrittenHeaderOfModuleAbc) {
  tarq_xm* xm = make_module();
  const std::string b = to_bytes(xm);
  EXPECT_EQ(b.substr(0, 17), "Extended Module: ");
  EXPECT_EQ(b.substr(17, 20), std::string("abc") + std::string(17, '\0'));
  EXPECT_EQ((uint8_t)b[37], 0x1a);
  EXPECT_EQ(b.substr(38, 20), "MilkyTracker        ");
  EXPECT_EQ(b.substr(58, 6), std::string("\x04\x01\x14\x01\x00\x00", 6));
  EXPECT_EQ((uint8_t)b[64], 2);  // song length
  EXPECT_EQ((uint8_t)b[68], 2);  // channels
  // Pattern 0: header 9, packing 0, 4 rows; a bare flag byte for an empty
  // cell, five plain bytes for a full one.
  EXPECT_EQ(b.substr(PATTERNS_AT, 7), std::string("\x09\x00\x00\x00\x00\x04\x00", 7));
  const std::string rows = b.substr(PATTERNS_AT + 9, 4 + 1 + 2 + 1 + 5 + 2);
  EXPECT_EQ(rows, std::string("\x87\x31\x01\x50\x80\x80\x80\x80\x3d\x01\x30\x04\x38\x80\x80", 15));
  EXPECT_EQ((uint8_t)b[PATTERNS_AT + 7], 15);  // packed size
  tarq_destroy_xm(xm);
}

TEST(XmFile, ReadsBackWhatItWrote) {
  tarq_xm* xm = make_module();
  const std::string b = to_bytes(xm);
  tarq_xm* back = from_bytes(b);
  ASSERT_NE(back, nullptr);
  EXPECT_STREQ(back->name, "abc");
  EXPECT_EQ(back->song_length, 2);
  EXPECT_EQ(back->channels, 2);
  EXPECT_EQ(back->tempo, 3);
  EXPECT_EQ(back->bpm, 125);
  ASSERT_EQ(back->pattern_count, 2);
  EXPECT_EQ(std::memcmp(back->patterns, xm->patterns, sizeof(tarq_xm_pattern) * 2), 0);
  ASSERT_EQ(back->instrument_count, 1);
  const tarq_xm_instrument& ins = back->instruments[1];
  EXPECT_STREQ(ins.name, "square");
  EXPECT_EQ(ins.fadeout, 300);
  EXPECT_EQ(ins.volume_env[1][1], 32);
  EXPECT_EQ(ins.sample.length, SAMPLE_LEN);
  EXPECT_EQ(ins.sample.loop_length, SAMPLE_LEN);
  EXPECT_EQ(ins.sample.finetune, -16);
  EXPECT_EQ(ins.sample.relative_note, 2);
  EXPECT_EQ(std::memcmp(ins.sample.data, xm->instruments[1].sample.data, SAMPLE_LEN * 2), 0);
  EXPECT_EQ(back->instruments[0].sample.length, TARQ_XM_SILENT_SAMPLES);
  EXPECT_EQ(to_bytes(back), b);
  tarq_destroy_xm(back);
  tarq_destroy_xm(xm);
}

TEST(XmFile, EightBitSamplesAreWidenedAndDeltaDecoded) {
  tarq_xm* xm = make_module();
  std::string b = to_bytes(xm);
  tarq_destroy_xm(xm);
  const size_t sample = instrument_at(b) + 263;
  b[sample + 14] = 1;  // type: forward loop, 8-bit
  const size_t data = sample + 40;
  for (int i = 0; i < SAMPLE_LEN * 2; i++) b[data + i] = (char)(i == 0 ? 10 : i == 1 ? -3 : 0);
  tarq_xm* back = from_bytes(b);
  ASSERT_NE(back, nullptr);
  const tarq_xm_sample& s = back->instruments[1].sample;
  EXPECT_EQ(s.length, SAMPLE_LEN * 2);
  EXPECT_TRUE(s.type & TARQ_XM_SAMPLE_16BIT);
  EXPECT_EQ(s.data[0], 10 << 8);
  EXPECT_EQ(s.data[1], 7 << 8);
  EXPECT_EQ(s.data[5], 7 << 8);
  tarq_destroy_xm(back);
}

TEST(XmFile, CorruptFilesAreRefused) {
  tarq_xm* xm = make_module();
  const std::string good = to_bytes(xm);
  tarq_destroy_xm(xm);
  // Every strict prefix ends inside some counted part.
  for (size_t n = 0; n < good.size(); n++) {
    tarq_xm* t = from_bytes(good.substr(0, n));
    ASSERT_EQ(t, nullptr) << n;
  }
  const size_t ins = instrument_at(good), sample = ins + 263;
  struct patch {
    const char* what;
    size_t at;
    uint32_t value;
  };
  const patch cases[] = {
      {"nine channels", 68, 9},
      {"too many patterns", 70, 300},
      {"too many instruments", 72, 200},
      {"more packed bytes than the file", PATTERNS_AT + 7, 0xffff},
      {"sample longer than the file", sample + 2, 0x7fff},
      {"two samples declared, one present", ins + 27, 2},
  };
  for (const patch& p : cases) {
    std::string b = good;
    put16(b, p.at, p.value);
    EXPECT_EQ(from_bytes(b), nullptr) << p.what;
  }
}

TEST(XmFile, OddButReadableFilesAreKeptInBounds) {
  tarq_xm* xm = make_module();
  std::string b = to_bytes(xm);
  tarq_destroy_xm(xm);
  b[PATTERNS_AT] = 7;              // header length other than 9: warned, read on
  put16(b, PATTERNS_AT + 5, 300);  // more rows than kept
  const size_t sample = instrument_at(b) + 263;
  put16(b, sample + 4, 0xfff0);  // loop start past the end
  tarq_xm* t = from_bytes(b);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->patterns[0].rows, TARQ_XM_ROWS);
  const tarq_xm_sample& s = t->instruments[1].sample;
  EXPECT_LE(s.loop_start + s.loop_length, s.length);
  tarq_sound* out = tarq_create_sound(20000, 16);
  EXPECT_EQ(tarq_mix_xm(t, out), 0);
  tarq_destroy_sound(out);
  tarq_destroy_xm(t);
}

TEST(XmFile, SaveAndLoadThroughFiles) {
  char path[] = "/tmp/tovo_xm_XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  tarq_xm* xm = make_module();
  EXPECT_EQ(tarq_save_xm(path, xm), 0);
  tarq_music* m = tarq_create_music();
  EXPECT_EQ(cmusic_load(m, path), 0);
  ASSERT_NE(m->xm, nullptr);
  EXPECT_EQ(m->xm->instruments[1].sample.length, SAMPLE_LEN);
  EXPECT_EQ(cmusic_load(m, "/nonexistent/tovo.xm"), 1);
  EXPECT_NE(m->xm, nullptr);  // a failed load keeps the module
  EXPECT_EQ(tarq_load_xm("/nonexistent/tovo.xm"), nullptr);
  tarq_destroy_music(m);
  tarq_destroy_xm(xm);
  unlink(path);
}

TEST(XmPlayer, RowsTicksAndTheEndOfTheSong) {
  tarq_xm* xm = make_module(1);
  tarq_xm_playstate* ps = (tarq_xm_playstate*)tarq_calloc(sizeof(tarq_xm_playstate));
  ASSERT_NE(ps, nullptr);
  tarq_mix_xm_init(xm, ps, 22050);
  EXPECT_EQ(ps->samples_per_tick, 22050 * 5 / 250);
  ps->playing = 1;
  // Six rows of three ticks: the song's whole length.
  const int32_t song = 6 * 3 * ps->samples_per_tick;
  std::vector<int16_t> out((size_t)song + 1000);
  int32_t done = 0;
  while (done < (int32_t)out.size()) {
    const int32_t n = std::min<int32_t>(4096, (int32_t)out.size() - done);
    const int32_t got = tarq_mix_xm_chunk(ps, out.data() + done, n);
    done += n;
    if (got < n) break;
  }
  EXPECT_EQ(ps->playing, 0);
  int32_t peak = 0, last_sound = -1;
  for (int32_t i = 0; i < (int32_t)out.size(); i++) {
    peak = std::max<int32_t>(peak, std::abs(out[i]));
    if (out[i] != 0) last_sound = i;
  }
  EXPECT_GT(peak, 20000 / 3 / 2);  // the square at full volume over three
  EXPECT_LE(peak, 20000 / 3 + 1);
  EXPECT_LT(last_sound, 5 * 3 * ps->samples_per_tick);  // the key off at row 5 silences it
  EXPECT_GT(last_sound, 4 * 3 * ps->samples_per_tick);
  // The square's period follows the note: C-4 + 2 semitones, 64 samples.
  int crossings = 0;
  for (int32_t i = 1; i < 3 * ps->samples_per_tick; i++) crossings += (out[i - 1] > 0) != (out[i] > 0);
  EXPECT_GT(crossings, 4);
  EXPECT_EQ(tarq_calculate_xm_length(xm), 2 * (110250 / 250) * 3 * 64);
  tarq_free(ps);
  tarq_destroy_xm(xm);
}

TEST(XmPlayer, PositionJumpAndLoopWord) {
  tarq_xm* xm = make_module(1);
  xm->song_length = 3;
  xm->orders[2] = 0;
  xm->patterns[0].cell[0][0].effect = 11;
  xm->patterns[0].cell[0][0].param = 2;
  tarq_xm_playstate* ps = (tarq_xm_playstate*)tarq_calloc(sizeof(tarq_xm_playstate));
  ASSERT_NE(ps, nullptr);
  tarq_mix_xm_init(xm, ps, 22050);
  ps->playing = 1;
  int16_t buf[4096];
  tarq_mix_xm_chunk(ps, buf, 3 * ps->samples_per_tick + 1);  // row 0 and the first tick of row 1
  EXPECT_EQ(ps->order, 2);
  EXPECT_EQ(ps->row, 0);
  // A one-row song with the loop word never ends.
  xm->song_length = 1;
  xm->patterns[0].cell[0][0].effect = 0;
  xm->patterns[0].rows = 1;
  tarq_mix_xm_init(xm, ps, 22050);
  ps->playing = 1;
  ps->loop = 1;
  for (int i = 0; i < 10; i++) EXPECT_EQ(tarq_mix_xm_chunk(ps, buf, 4096), 4096);
  ps->loop = 0;
  tarq_mix_xm_chunk(ps, buf, 4096);
  EXPECT_EQ(ps->playing, 0);
  tarq_free(ps);
  tarq_destroy_xm(xm);
}

TEST_F(MixerTest, ModuleStreamIsMixedWhileMusicPlays) {
  tarq_music* m = tarq_create_music();
  m->xm = make_module(2);
  tarq_sound* whole = tarq_create_sound(4000, 16);
  tarq_mix_xm(m->xm, whole);
  EXPECT_EQ(tarq_get_current_music(), nullptr);
  EXPECT_EQ(callback(100), std::vector<int16_t>(100, 0));
  cmusic_play(m, 0, 0, 0);
  EXPECT_EQ(tarq_get_current_music(), m);
  EXPECT_EQ(tarq_get_xm_playstate()->xm, m->xm);
  EXPECT_EQ(tarq_music_get_fading_state(), 0);
  std::vector<int16_t> out = callback(1000);
  const int16_t* w = reinterpret_cast<const int16_t*>(whole->data);
  const std::vector<int16_t> first(out.begin(), out.begin() + 1000);
  EXPECT_EQ(first, std::vector<int16_t>(w, w + 1000));
  // Half the music volume halves the stream, sample by sample.
  cconfig.music_volume = 128;
  const std::vector<int16_t> half = callback(500);
  cconfig.music_volume = 256;
  for (int i = 0; i < 500; i++) ASSERT_EQ(half[i], (128 * w[1000 + i]) >> 8) << "sample " << i;
  // A fade to 0 clears the playing flag and the stream stops.
  cmusic_stop(0, 0);
  EXPECT_EQ(tarq_get_xm_playstate()->playing, 0);
  EXPECT_EQ(callback(100), std::vector<int16_t>(100, 0));
  // Loading a new module into the playing music lets go of the old one.
  cmusic_play(m, 0, 0, 0);
  tarq_file* f = tarq_create_buffer(1024);
  tarq_xm* other = make_module(1);
  tarq_save_xm_to_file(other, f);
  tarq_destroy_xm(other);
  f->pos = 0;
  EXPECT_EQ(cmusic_load_from_file(m, f), 0);
  tarq_fclose(f);
  EXPECT_EQ(tarq_get_xm_playstate()->xm, nullptr);
  EXPECT_EQ(m->xm->channels, 1);
  EXPECT_EQ(callback(100), std::vector<int16_t>(100, 0));
  // Destroying the current music clears the play state.
  cmusic_stop(0, 0);
  cmusic_play(m, 1000, 99, 1);
  EXPECT_EQ(tarq_get_xm_playstate()->order, 1);  // clamped to the last order position
  EXPECT_EQ(tarq_music_get_fading_state(), 1);   // fading in
  cmusic_play(m, 0, 0, 1);
  EXPECT_EQ(tarq_music_get_fading_state(), 0);  // at full level
  cmusic_stop(0, 1000);
  EXPECT_EQ(tarq_music_get_fading_state(), 2);  // fading out
  tarq_destroy_music(m);
  EXPECT_EQ(tarq_music_get_fading_state(), 0);  // nothing plays
  EXPECT_EQ(tarq_get_current_music(), nullptr);
  EXPECT_EQ(tarq_get_xm_playstate()->xm, nullptr);
  EXPECT_EQ(callback(100), std::vector<int16_t>(100, 0));
  cmusic_play(nullptr, 0, 0, 0);
  disable_music(nullptr);
  tarq_destroy_sound(whole);
}

TEST(XmPlayer, ZeroParameterRepeatsTheLastButAnEmptyCellIsNoArpeggio) {
  tarq_xm* xm = make_module(1);
  tarq_xm_pattern& p = xm->patterns[0];
  p.cell[0][0] = {49, 1, 0, 1, 4};  // slide up by 4
  p.cell[1][0] = {0, 0, 0, 1, 0};   // slide up again, parameter repeated
  p.cell[2][0] = {0, 0, 0, 0, 0};   // nothing
  tarq_xm_playstate* ps = (tarq_xm_playstate*)tarq_calloc(sizeof(tarq_xm_playstate));
  ASSERT_NE(ps, nullptr);
  tarq_mix_xm_init(xm, ps, 22050);
  ps->playing = 1;
  int16_t buf[4096];
  const int32_t row = 3 * ps->samples_per_tick;
  tarq_mix_xm_chunk(ps, buf, row);
  EXPECT_EQ(ps->ch[0].fine, 3 * 4 * 16);
  tarq_mix_xm_chunk(ps, buf, row);
  EXPECT_EQ(ps->ch[0].fine, 6 * 4 * 16);
  tarq_mix_xm_chunk(ps, buf, 1);
  const int64_t step = ps->ch[0].step;
  tarq_mix_xm_chunk(ps, buf, row);  // ticks 1 and 2 of the empty row keep the pitch
  EXPECT_EQ(ps->ch[0].step, step);
  EXPECT_EQ(ps->ch[0].param, 0);
  tarq_free(ps);
  tarq_destroy_xm(xm);
}
