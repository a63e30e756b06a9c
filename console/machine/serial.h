#pragma once
// Serial channels: 0x00-0xff send bit streams that reach the GPIO bytes at
// the end of the frame, 0x100 and 0x101 loop back, 0x800 and 0x802 read a
// dropped file or image, 0x808 plays 8-bit samples through the sound output.
// Channel numbers outside 0-4095 are ignored.
#include <cstdint>

struct tarq_bitmap;

constexpr int32_t TOVO_SERIAL_CHANNELS = 4096;
constexpr int32_t TOVO_SERIAL_PACKET_BYTES = 262144;
constexpr int32_t TOVO_SERIAL_PACKET_LIMIT = 0x3fffa;
constexpr int32_t TOVO_SERIAL_LOOPBACK_BYTES = 32768;
constexpr int32_t TOVO_SERIAL_AUDIO_BYTES = 2048;

enum {
  TOVO_SERIAL_LOOPBACK_0 = 0x100,
  TOVO_SERIAL_LOOPBACK_1 = 0x101,
  TOVO_SERIAL_FILE = 0x800,
  TOVO_SERIAL_IMAGE = 0x802,
  TOVO_SERIAL_AUDIO = 0x808,
};

struct tovo_serial_channel {
  int32_t index;
  int32_t high;  // index / 256
  int32_t low;   // index & 0xff
  int32_t dma;
  int32_t freq;
  int32_t type;
  int32_t brightness;
  int32_t invert;
  int32_t leds;
  int32_t used;  // written in this run
};

// The channel's record, or null before serial was used or for a channel
// never touched or outside 0-4095.
const tovo_serial_channel* tovo_serial_channel_record(int32_t channel);

// Writes bits from memory at address to a channel (or reads from a dropped
// buffer into memory); the number of bits handled.
int32_t write_to_serial_channel(int32_t channel, int32_t address, int64_t bits);
// Parses a parameter text ("freq:400000 leds:30", or a bare frequency).
void set_serial_parameters(int32_t channel, const char* text);
// The channel's record, made with the defaults when it has none (serial
// starts on the first such call); null outside 0-4095.
const tovo_serial_channel* tovo_serial_make_channel(int32_t channel);
// Delivers the frame's packets to the GPIO bytes (flip and print call it),
// then drops them as serial_reset_frame does.
void serial_end_frame();
// Drops the frame's packets and the loop-back bytes undelivered.
void serial_reset_frame();
// Charges 8 cycles for each bit and returns bits.
int64_t serial_charge_bits(int64_t bits);
// Register reset: empties the audio buffer and, once serial was used,
// zeroes every channel record and clears the packets.
void serial_init_runtime();
// Register reset: both dropped buffers read as empty.
void reset_serial_file_buffers();
// Both of the above.
void reset_serial_state();

// The shell hands over a dropped file (copied) or a dropped 8-bit image
// (taken over and freed once copied).
void serial_set_dropped_file(const uint8_t* data, int32_t size);
void serial_set_dropped_image_file(tarq_bitmap* image);
int32_t get_serial_file_remaining();
int32_t get_serial_image_file_remaining();

// Bytes waiting in the serial audio buffer (main thread).
int32_t serial_sound_buffer_pos();
// The post-mix hook (audio thread): mixes waiting samples into the output.
int mix_serial_sound_buffer(int16_t* samples, int32_t count, int32_t bytes);
// Frees every buffer (at exit; the audio device is closed by then).
void serial_free_buffers();
