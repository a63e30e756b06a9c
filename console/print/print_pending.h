#pragma once
// Whether the print engine holds a text still to print. Nothing in the
// player asks.

// 1 while a text waits to be printed on.
int print_text_pending();
