#pragma once
// Freeing the GIF clip ring's bitmaps. The player leaves them to the end of
// the process.

// Frees the ring's bitmaps and empties it.
void free_video_clip();
