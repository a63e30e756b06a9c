#pragma once
// save("@clip") and the "[cart]" code it writes.
#include <cstdint>

struct tovo_cart;

// save("@clip"): the cart saved as "_clip.kx.png" in the application folder,
// that file's "[cart]" code written beside it as "_clip.kx.png.hex" and put
// on the host clipboard. 0 saved, 1 when any step fails.
int32_t save_cart_to_clipboard(tovo_cart* cart);

// "[cart]" code of a file (at most 1 MiB read): 0 written, 1 the input cannot
// be opened, 2 the output cannot be created, 3 a read or write failed (the
// output is left as it was).
int32_t convert_binary_file_to_hex(const char* in_path, const char* out_path);
