// Serial channels: the channel table, GPIO packets, loop-back and the audio
// channel's producer side, channel parameters and the frame's delivery.
#include "console/machine/serial.h"

#include <cstdlib>
#include <cstring>

#include "console/machine/address_space.h"
#include "console/machine/gpio.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/machine/serial_audio.h"
#include "console/machine/serial_drop.h"
#include "console/run/shell_port.h"
#include "engine/tracked_mem.h"

namespace {

// A packet: channel (16-bit LE), bit count (16-bit LE), then the bits from
// bit 0 of each byte upward. A packet is closed at 0xfff8 bits (a whole
// number of bytes, so the stream stays byte-aligned) and goes on in a new
// one, so that its count always fits the 16-bit field.
constexpr int64_t PACKET_MAX_BITS = 0xfff8;
constexpr int32_t HEADER = 4;

struct packet_buffer {
  uint8_t bytes[TOVO_SERIAL_PACKET_BYTES];
  int32_t start;         // data of the open packet (or the next header)
  int32_t bit_pos;       // bits in the open packet
  int32_t count_field;   // position of the open packet's count, -1 none
  int32_t last_channel;  // -1 after a reset
};

packet_buffer* gpio_out = nullptr;                          // the frame's packets, made on first use
tovo_serial_channel* serial_channel[TOVO_SERIAL_CHANNELS];  // the channel table
uint8_t loopback[TOVO_SERIAL_LOOPBACK_BYTES];

// Address arithmetic wraps (memory access masks it to 16 bits).
int32_t offset(int32_t address, int64_t i) {
  return static_cast<int32_t>(static_cast<uint32_t>(address) + static_cast<uint32_t>(i));
}

bool valid_channel(int32_t ch) { return ch >= 0 && ch < TOVO_SERIAL_CHANNELS; }

void put16(int32_t at, int32_t v) {
  gpio_out->bytes[at] = static_cast<uint8_t>(v);
  gpio_out->bytes[at + 1] = static_cast<uint8_t>(v >> 8);
}
int32_t get16(int32_t at) { return gpio_out->bytes[at] | gpio_out->bytes[at + 1] << 8; }

void clear_packets() {
  gpio_out->start = 0;
  gpio_out->bit_pos = 0;
  gpio_out->count_field = -1;
  gpio_out->last_channel = -1;
}

// First use of any serial operation: the packet buffer and an empty table.
bool ensure_serial() {
  if (gpio_out) return true;
  gpio_out = static_cast<packet_buffer*>(tarq_malloc(sizeof(packet_buffer)));
  if (!gpio_out) return false;
  clear_packets();
  for (auto& c : serial_channel) c = nullptr;
  return true;
}

tovo_serial_channel* ensure_channel(int32_t ch) {
  if (!valid_channel(ch) || !ensure_serial()) return nullptr;
  if (serial_channel[ch]) return serial_channel[ch];
  auto* c = static_cast<tovo_serial_channel*>(tarq_malloc(sizeof(tovo_serial_channel)));
  if (!c) return nullptr;
  *c = {ch, ch / 256, ch & 0xff, 10, 800000, 0x100800, 55, 0, 0, 0};
  serial_channel[ch] = c;
  return c;
}

void close_packet() {
  if (gpio_out->count_field < 0) return;
  put16(gpio_out->count_field, gpio_out->bit_pos);
  gpio_out->start += (gpio_out->bit_pos + 7) / 8;
  gpio_out->bit_pos = 0;
  gpio_out->count_field = -1;
}

void open_packet(int32_t ch) {
  close_packet();
  put16(gpio_out->start, ch);
  put16(gpio_out->start + 2, 0);
  gpio_out->count_field = gpio_out->start + 2;
  gpio_out->start += HEADER;
  gpio_out->bit_pos = 0;
  gpio_out->last_channel = ch;
}

void append_bit(int bit) {
  if (gpio_out->bit_pos == PACKET_MAX_BITS) open_packet(gpio_out->last_channel);
  uint8_t& byte = gpio_out->bytes[gpio_out->start + gpio_out->bit_pos / 8];
  if ((gpio_out->bit_pos & 7) == 0) byte = 0;
  byte = static_cast<uint8_t>(byte | bit << (gpio_out->bit_pos & 7));
  gpio_out->bit_pos++;
}

// Bytes the write needs past the open packet's data start, headers of
// continuation packets included.
int64_t bytes_needed(int64_t bits) {
  int64_t total = gpio_out->bit_pos + bits;
  return (total + 7) / 8 + HEADER * (total / PACKET_MAX_BITS);
}

int32_t write_gpio_stream(int32_t ch, int32_t address, int64_t bits) {
  if (gpio_out->start + bytes_needed(bits) > TOVO_SERIAL_PACKET_LIMIT) {
    tovo_shell().show_message("serial buffer overflow", 1000);
    gpio_out->bit_pos = 0;
    return 0;
  }
  if (ch != gpio_out->last_channel || ch == 0xff) open_packet(ch);
  if (ch == 0xff) {
    put16(gpio_out->start, static_cast<int32_t>(bits / 8));
    gpio_out->bit_pos = 16;
    return static_cast<int32_t>(bits);
  }
  for (int64_t i = 0; i < bits; i++) {
    int32_t byte = tovo_peek(&pstate(), pstate().cart, offset(address, i >> 3));
    append_bit(byte >> (i & 7) & 1);
  }
  return static_cast<int32_t>(bits);
}

// Reads the bytes and writes them back, a buffer at a time.
void loop_back(int32_t address, int64_t bits) {
  int64_t n = (bits + 7) / 8;
  if (n > TOVO_RAM_SIZE) n = TOVO_RAM_SIZE;  // further bytes repeat the same addresses
  for (int64_t done = 0; done < n; done += TOVO_SERIAL_LOOPBACK_BYTES) {
    int32_t part = static_cast<int32_t>(n - done < TOVO_SERIAL_LOOPBACK_BYTES ? n - done : TOVO_SERIAL_LOOPBACK_BYTES);
    int32_t at = offset(address, done);
    for (int32_t i = 0; i < part; i++)
      loopback[i] = static_cast<uint8_t>(tovo_peek(&pstate(), pstate().cart, offset(at, i)));
    for (int32_t i = 0; i < part; i++) tovo_poke(&pstate(), pstate().cart, offset(at, i), loopback[i]);
  }
}

void write_audio(int32_t address, int64_t bits) {
  int64_t n = bits / 8;
  if (n > TOVO_SERIAL_AUDIO_BYTES) n = TOVO_SERIAL_AUDIO_BYTES;
  uint8_t bytes[TOVO_SERIAL_AUDIO_BYTES];
  for (int32_t i = 0; i < n; i++)
    bytes[i] = static_cast<uint8_t>(tovo_peek(&pstate(), pstate().cart, offset(address, i)));
  const bool raw = (pstate().ram[TOVO_REG_FEATURES] & TOVO_FEATURE_RAW_SERIAL_AUDIO) != 0;
  tovo_serial_audio_push(bytes, static_cast<int32_t>(n), raw);
}

// Sets a field by its name; false for an unknown name.
void set_field(tovo_serial_channel* c, const char* name, size_t len, int32_t v) {
  struct field {
    const char* name;
    int32_t tovo_serial_channel::*member;
  };
  static const field fields[] = {
      {"freq", &tovo_serial_channel::freq},     {"dma", &tovo_serial_channel::dma},
      {"type", &tovo_serial_channel::type},     {"brightness", &tovo_serial_channel::brightness},
      {"invert", &tovo_serial_channel::invert}, {"leds", &tovo_serial_channel::leds},
  };
  for (const field& f : fields)
    if (strlen(f.name) == len && memcmp(f.name, name, len) == 0) c->*f.member = v;
}

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

int32_t read_int(const char* s) {
  long v = strtol(s, nullptr, 10);
  return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : static_cast<int32_t>(v);
}

void read_words(tovo_serial_channel* c, const char* p) {
  while (*p) {
    const char* end = p;
    while (*end && !is_blank(*end)) end++;
    const char* colon = static_cast<const char*>(memchr(p, ':', static_cast<size_t>(end - p)));
    if (!colon) return;
    set_field(c, p, static_cast<size_t>(colon - p), read_int(colon + 1));
    p = end;
    while (*p && !(*p >= 'a' && *p <= 'z')) p++;
  }
}

}  // namespace

const tovo_serial_channel* tovo_serial_channel_record(int32_t channel) {
  if (!gpio_out || !valid_channel(channel)) return nullptr;
  return serial_channel[channel];
}

int32_t write_to_serial_channel(int32_t ch, int32_t address, int64_t bits) {
  if (bits < 1) return 0;
  tovo_serial_channel* record = ensure_channel(ch);
  if (!record) return 0;
  int32_t result = 0;
  if (ch <= 0xff) {
    result = write_gpio_stream(ch, address, bits);
  } else if (ch == TOVO_SERIAL_LOOPBACK_0 || ch == TOVO_SERIAL_LOOPBACK_1) {
    loop_back(address, bits);
    result = static_cast<int32_t>(bits);
  } else if (ch == TOVO_SERIAL_FILE || ch == TOVO_SERIAL_IMAGE) {
    return tovo_serial_read_dropped(ch == TOVO_SERIAL_IMAGE, address, bits);
  } else if (ch == TOVO_SERIAL_AUDIO) {
    write_audio(address, bits);
    result = static_cast<int32_t>(bits);
  }
  record->used = 1;
  return result;
}

void set_serial_parameters(int32_t ch, const char* text) {
  if (!text) return;
  tovo_serial_channel* c = ensure_channel(ch);
  if (!c || c->used) return;
  if (text[0] < '0') {
    while (is_blank(*text)) text++;
    read_words(c, text);
  } else if (text[1] <= '9') {
    c->freq = read_int(text);
  } else {
    read_words(c, text);
  }
}

void serial_end_frame() {
  if (!gpio_out) return;
  close_packet();
  int32_t at = 0;
  while (at + HEADER <= gpio_out->start) {
    int32_t ch = get16(at);
    int32_t n = (get16(at + 2) + 7) / 8;
    at += HEADER;
    if (ch != 0xff)
      for (int32_t i = 0; i < n && at + i < gpio_out->start; i++) gpio_write(ch, gpio_out->bytes[at + i]);
    at += n;
  }
  serial_reset_frame();
}

void serial_reset_frame() {
  if (!gpio_out) return;
  clear_packets();
  memset(loopback, 0, sizeof loopback);
}

const tovo_serial_channel* tovo_serial_make_channel(int32_t channel) { return ensure_channel(channel); }

void serial_init_runtime() {
  tovo_serial_audio_flush();
  if (!gpio_out) return;
  for (tovo_serial_channel* c : serial_channel)
    if (c) memset(c, 0, sizeof *c);
  clear_packets();
}

void reset_serial_state() {
  serial_init_runtime();
  reset_serial_file_buffers();
}

void serial_free_buffers() {
  for (auto& c : serial_channel) {
    if (gpio_out) tarq_free(c);
    c = nullptr;
  }
  tarq_free(gpio_out);
  gpio_out = nullptr;
  tovo_serial_free_dropped();
}
