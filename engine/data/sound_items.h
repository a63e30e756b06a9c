#pragma once
// Sounds and synth graphs as a pod holds them and a pod file stores them: the
// records' layout, and the table of item kinds through which the pod reader
// makes them and a pod destroys them. The sound engine makes and destroys
// them and registers both as item kinds at start-up; the pod reader fills
// their fields and the pod writer stores them. With no kind registered the
// pod reader reads past the item's chunk and keeps nothing.
#include <cstdint>

// A PCM sound: 22050 Hz, one channel, 16-bit unless made otherwise.
struct tarq_sound {
  uint8_t* data;  // sample_count * bits / 8 bytes
  int32_t sample_count;
  int32_t bits;
  int32_t frequency;
  int32_t channels;
  int32_t loop;     // 1: starts again at its end
  int32_t volume;   // 256 = full
  int32_t channel;  // mixer channel playing it, -1 none
};

constexpr int TARQ_SYNTH_NODES = 32;
constexpr int TARQ_SYNTH_NODE_WORDS = 86;
constexpr int TARQ_SYNTH_PARAM_FIRST = 3;  // parameter slots of 4 words from word 3
constexpr int TARQ_SYNTH_PARAMS = 16;
constexpr int TARQ_SYNTH_TABLE_FIRST = 67;  // the 64-byte table: words 67..82
constexpr int TARQ_SYNTH_TABLE_BYTES = 64;
constexpr int TARQ_SYNTH_TABLE_COUNT = 83;  // the table's byte count
constexpr int TARQ_SYNTH_LAST = 85;

struct tarq_synth_node {
  int32_t word[TARQ_SYNTH_NODE_WORDS];
  int32_t* buffer;  // the node's rendered samples (oversampled length), or null
};

struct tarq_synth {
  int32_t header[2];  // header[0]: length * 4
  tarq_synth_node node[TARQ_SYNTH_NODES];
  tarq_sound* sound;   // the rendered sound, or null
  int32_t generating;  // 1 between the first and the last slice of a render
  int32_t next_node;   // the node the next slice evaluates
  int32_t output;      // the output node, -1 none
};

// The records alone, made and freed with the engine's allocator and counted
// in tarq_items_created; the sound engine adds what playing them needs.
// A sound of sample_count samples of bits each (a positive multiple of 8) at
// the defaults above, or null.
tarq_sound* tarq_new_sound_record(int32_t sample_count, int32_t bits);
void tarq_free_sound_record(tarq_sound* sound);
// A zeroed synth graph of the length with no output node, or null.
tarq_synth* tarq_new_synth_record(int32_t length);
// Frees the node buffers and the record (not its rendered sound).
void tarq_free_synth_record(tarq_synth* synth);

// Item types that a pod holds but a library above the engine makes and
// destroys: sounds (TARQ_ITEM_SOUND) and synth graphs (TARQ_ITEM_SYNTH).
struct tarq_item_kind {
  // A new item, zero-filled but for what its maker sets, or null when it
  // cannot be made. The two numbers are a sound's sample count and bits per
  // sample, or a synth graph's length and 0.
  void* (*create)(int32_t size, int32_t bits);
  void (*destroy)(void* item);
};

// Registers the kind of a type that an upper library owns (a copy; null
// removes it). False, changing nothing, for any other type or a kind with a
// null entry.
bool tarq_register_item_kind(int32_t type, const tarq_item_kind* kind);

// The kind registered for the type, or null.
const tarq_item_kind* tarq_item_kind_of(int32_t type);
