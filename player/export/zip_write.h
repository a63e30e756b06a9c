#pragma once
// The exporter's zip writer. Every central-directory entry is marked as made
// on Unix (version made by 0x031E) and carries a Unix mode in the upper 16
// bits of its external attributes: 0775 for a folder, 0644 for a file, or
// 0775 for the file that follows a call to the executable switch. Both
// switches are one-shot: the executable switch affects exactly the next
// entry, the force-new switch the next addition to an archive file. The
// switches are process-wide and meant for the main thread.
#include <cstddef>
#include <cstdint>

constexpr uint16_t TOVO_ZIP_VERSION_MADE_BY = 0x031E;  // Unix, 3.0
constexpr uint32_t TOVO_ZIP_DIRECTORY_BIT = 0x10;

void mz_set_executable_bit_on_next_file();
void mz_set_force_create_new_file();

// The external attributes of the next entry, given its own attributes
// (TOVO_ZIP_DIRECTORY_BIT for a folder, 0 for a file); clears the
// executable switch.
uint32_t tovo_zip_entry_attributes(uint32_t own);

// Adds the block as entry `name` (a name ending in '/' is a folder entry) to
// the archive file, compressed at `level` (0-9). The archive is made new when
// the force-new switch is on or the file does not exist (clearing the
// switch); otherwise the entry is appended to the existing archive and its
// central directory written again. Returns true when done; *error (may be
// null) gets the libzip error code on failure.
bool mz_zip_add_mem_to_archive_file_in_place_v2(const char* zip_path, const char* name, const void* data, size_t size,
                                                const char* comment, uint16_t comment_size, int32_t level, int* error);
bool mz_zip_add_mem_to_archive_file_in_place(const char* zip_path, const char* name, const void* data, size_t size,
                                             const char* comment, uint16_t comment_size, int32_t level);
