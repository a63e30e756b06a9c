#pragma once
// The reverse look-up of the carts mounted from the data pod.

// The name of the first mounted cart whose hash is hash, or null.
const char* get_embedded_cart_filename_for_hash(const char* hash);
