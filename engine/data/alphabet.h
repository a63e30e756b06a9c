#pragma once
// The 64-symbol text alphabet: '.', 'A'-'Z', '0'-'4', '_', 'a'-'z', '5'-'9'.

// The character for v in 0..63, else 0.
int tarq_int6_to_ascii(int v);
// The index of ch for ch below 128 (0 for characters outside the alphabet), else 0.
int tarq_ascii_to_int6(int ch);
