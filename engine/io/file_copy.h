#pragma once
// Copying a file through stdio. The player never copies files; the cart
// browser's list pages and the exporter do.

// The copy replaces `to` whole (engine/io/replace.h): 0 copied, 1 no source,
// 2 no destination, 3 a read or write failed on the way (`to` is unchanged).
int tarq_copy_file(const char* from, const char* to);
