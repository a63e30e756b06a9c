// The exporter's zip writer on libzip, with the Unix marks of every entry.
#include "player/export/zip_write.h"

#include <zip.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/io/file.h"
#include "engine/platform/host.h"

namespace {

bool executable_next = false;
bool force_new_next = false;

constexpr uint32_t FOLDER_MODE = 0x41FD0000;      // folder, rwxrwxr-x
constexpr uint32_t FILE_MODE = 0x81A40000;        // regular file, rw-r--r--
constexpr uint32_t EXECUTABLE_MODE = 0x81FD0000;  // regular file, rwxrwxr-x

uint16_t read16(const uint8_t* p) { return (uint16_t)(p[0] | p[1] << 8); }
uint32_t read32(const uint8_t* p) {
  return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

// The offsets of the "made by" field of every central-directory entry of
// the archive's bytes. False when they are not laid out as expected.
bool find_made_by_fields(const uint8_t* zip, size_t size, std::vector<size_t>* fields) {
  if (size < 22) return false;
  size_t end = size - 22;
  size_t lowest = size > 22 + 0xFFFF ? size - 22 - 0xFFFF : 0;
  while (read32(&zip[end]) != 0x06054b50) {
    if (end == lowest) return false;
    end--;
  }
  uint32_t count = read16(&zip[end + 10]);
  size_t at = read32(&zip[end + 16]);
  for (uint32_t i = 0; i < count; i++) {
    if (at + 46 > end || read32(&zip[at]) != 0x02014b50) return false;
    fields->push_back(at + 4);
    at += 46 + (size_t)read16(&zip[at + 28]) + read16(&zip[at + 30]) + read16(&zip[at + 32]);
  }
  return true;
}

// libzip writes its own version into the "made by" field of the central
// directory; this rewrites it to ours in every entry. False when the archive
// is not laid out as expected (nothing is then changed).
bool mark_made_by(const char* path) {
  std::vector<size_t> fields;
  tarq_file* zip = tarq_load_file(path);
  bool found = zip && find_made_by_fields(zip->data, (size_t)zip->size, &fields);
  tarq_fclose(zip);
  if (!found) return false;
  FILE* f = fopen(path, "r+b");
  if (!f) return false;
  bool ok = true;
  uint8_t made_by[2] = {(uint8_t)(TOVO_ZIP_VERSION_MADE_BY & 0xFF), (uint8_t)(TOVO_ZIP_VERSION_MADE_BY >> 8)};
  for (size_t field : fields) ok = ok && fseek(f, (long)field, SEEK_SET) == 0 && fwrite(made_by, 1, 2, f) == 2;
  return fclose(f) == 0 && ok;
}

}  // namespace

void mz_set_executable_bit_on_next_file() { executable_next = true; }
void mz_set_force_create_new_file() { force_new_next = true; }

uint32_t tovo_zip_entry_attributes(uint32_t own) {
  uint32_t attributes;
  if (own & TOVO_ZIP_DIRECTORY_BIT) attributes = own + FOLDER_MODE;
  else attributes = executable_next ? EXECUTABLE_MODE : FILE_MODE;
  executable_next = false;
  return attributes;
}

bool mz_zip_add_mem_to_archive_file_in_place_v2(const char* zip_path, const char* name, const void* data, size_t size,
                                                const char* comment, uint16_t comment_size, int32_t level, int* error) {
  int err = 0;
  if (error) *error = 0;
  size_t name_len = name ? strlen(name) : 0;
  if (!zip_path || name_len == 0 || (!data && size > 0) || level < 0 || level > 9) {
    if (error) *error = ZIP_ER_INVAL;
    return false;
  }
  int flags = ZIP_CREATE;
  if (force_new_next || !tarq_file_exists(zip_path)) flags |= ZIP_TRUNCATE;
  force_new_next = false;
  zip_t* zip = zip_open(zip_path, flags, &err);
  if (!zip) {
    if (error) *error = err;
    return false;
  }
  bool folder = name[name_len - 1] == '/';
  zip_int64_t index;
  if (folder) {
    std::vector<char> bare(name, name + name_len - 1);
    bare.push_back(0);
    index = zip_dir_add(zip, bare.data(), ZIP_FL_ENC_UTF_8);
  } else {
    zip_source_t* source = zip_source_buffer(zip, data, size, 0);
    index = source ? zip_file_add(zip, name, source, ZIP_FL_ENC_UTF_8) : -1;
    if (index < 0 && source) zip_source_free(source);
  }
  bool ok = index >= 0;
  if (ok && !folder)
    ok = zip_set_file_compression(zip, (zip_uint64_t)index, level == 0 ? ZIP_CM_STORE : ZIP_CM_DEFLATE,
                                  (zip_uint32_t)level) == 0;
  uint32_t attributes = tovo_zip_entry_attributes(folder ? TOVO_ZIP_DIRECTORY_BIT : 0);
  if (ok) ok = zip_file_set_external_attributes(zip, (zip_uint64_t)index, 0, ZIP_OPSYS_UNIX, attributes) == 0;
  if (ok && comment && comment_size > 0)
    ok = zip_file_set_comment(zip, (zip_uint64_t)index, comment, comment_size, 0) == 0;
  if (!ok) {
    if (error) *error = zip_error_code_zip(zip_get_error(zip));
    zip_discard(zip);
    return false;
  }
  if (zip_close(zip) != 0) {
    if (error) *error = zip_error_code_zip(zip_get_error(zip));
    zip_discard(zip);
    return false;
  }
  if (!mark_made_by(zip_path)) {
    if (error) *error = ZIP_ER_INCONS;
    return false;
  }
  return true;
}

bool mz_zip_add_mem_to_archive_file_in_place(const char* zip_path, const char* name, const void* data, size_t size,
                                             const char* comment, uint16_t comment_size, int32_t level) {
  return mz_zip_add_mem_to_archive_file_in_place_v2(zip_path, name, data, size, comment, comment_size, level, nullptr);
}
