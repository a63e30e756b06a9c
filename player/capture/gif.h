#pragma once
// Writing the video clip as an animated GIF.
#include <cstdint>

constexpr int32_t TOVO_GIF_NO_FRAMES = 9;
constexpr int32_t TOVO_GIF_TRANSPARENT = 17;  // pixels unchanged since the previous frame

// Writes the frames held in the clip: 0 written, 1 the file could not be
// opened or written (or its name was refused), 9 no frames held. A scale of 1
// or more asks for that scale (at most 8), else gif_scale; destination 0
// writes to the desktop folder, any other to the cart's output folder.
int32_t save_gif(int32_t scale, int32_t destination);
// The delay of frame i in hundredths of a second: 3, 3, 4, 3, 3, 4, ...,
// so that every 30 frames (a second of play) last exactly 100.
int32_t tovo_gif_frame_delay(int32_t i);
// The scale save_gif uses for an argument (1..8).
int32_t tovo_gif_scale(int32_t scale);
