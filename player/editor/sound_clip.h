#pragma once
// Copy and paste of notes, sound effects and music patterns, and swapping a
// cart's sound with a backup copy.
#include <cstdint>

struct tarq_bitmap;
struct tovo_cart;
struct tovo_sfx;
struct dbmp;

// The note clipboard: 6 columns x 32 rows, a row per note, 255 = no value;
// columns: pitch within the octave, octave, waveform, volume, effect, custom.
constexpr int32_t TOVO_NOTE_FIELDS = 6;
constexpr uint8_t TOVO_NO_VALUE = 255;
// The clipboard (kept by this module), null until the first copy.
const tarq_bitmap* tovo_note_clipboard();
void tovo_free_note_clipboard();

// Copies the note fields marked in a 6x32 mask; the notes with any mark are
// stored from the clipboard's first row on.
void do_copy_sfx(const tovo_sfx* sfx, const tarq_bitmap* mask);
// Writes every clipboard value other than 255 into the notes from first_note on.
void do_paste_sfx(tovo_sfx* sfx, int32_t ignored, int32_t first_note);
// Writes the set's note bitmap (columns pitch, waveform, volume, effect, custom) into an sfx.
void restore_sfx(tovo_sfx* sfx, const dbmp* set);

// The sound clipboard is a cart record; its sprite flags 0 and 1 hold the
// number of sfx and of patterns copied. Copying also puts the text form on
// the host clipboard.
void do_copy_sfxes(const tovo_cart* cart, tovo_cart* clip, int32_t first, int32_t last, int32_t mark_for_move);
void do_paste_sfxes(const tovo_cart* clip, tovo_cart* cart, int32_t at);
void do_copy_patterns(tovo_cart* cart, tovo_cart* clip, int32_t first, int32_t last, int32_t cut);
void do_paste_patterns(const tovo_cart* clip, tovo_cart* cart, int32_t at);
// Forgets a range marked for moving.
void tovo_clear_sfx_move_mark();

// Copy / swap the sfx records and music data between a cart and a copy.
void backup_audio(const tovo_cart* cart, tovo_cart* copy);
void restore_audio(tovo_cart* cart, tovo_cart* copy);
void backup_sfx();
