#pragma once
// Whether a cart file is sandboxed: every path is. Nothing in the player asks.

int is_sandboxed_cart_file(const char* path);  // 1
