#pragma once
// Character classes of the runtime (independent of the C locale).

inline bool lisspace(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
inline bool lisdigit(int c) { return c >= '0' && c <= '9'; }
inline bool lisxdigit(int c) { return lisdigit(c) || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f'); }
