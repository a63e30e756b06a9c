#pragma once
// Stand-in for the serial channels' dropped-file inputs (channels 0x800 and
// 0x802) until serial channels exist: the last file and image handed over
// are kept, owned here.
#include <cstdint>

struct tarq_bitmap;

// Takes a copy of a dropped file's bytes for channel 0x800.
void serial_set_dropped_file_standin(const uint8_t* data, int32_t size);
// Takes ownership of a dropped picture (8-bit palette indices) for channel 0x802.
void serial_set_dropped_image_file_standin(tarq_bitmap* image);

extern uint8_t* tovo_standin_dropped_data;
extern int32_t tovo_standin_dropped_size;
extern tarq_bitmap* tovo_standin_dropped_image;
