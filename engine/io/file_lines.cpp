// The line reader: CR, LF and CR LF end a line; the terminator is not stored.
// A line that begins with byte 255 is read as an empty line (the byte is
// consumed); further on in a line the byte is text.
#include <cstring>

#include "engine/io/file.h"

namespace {

constexpr int CR = '\r';
constexpr int LF = '\n';
constexpr int EMPTY_LINE_MARK = 255;

// The next byte of a stdio or memory stream, or -1 at its end.
int next_byte(tarq_file* f) {
  if (f->kind == TARQ_FILE_STDIO) {
    int c = fgetc(f->fp);
    return c == EOF ? -1 : c;
  }
  if (f->pos < 0 || f->pos >= f->size) return -1;
  return f->data[f->pos++];
}

// After a CR: an LF that follows belongs to the same line end; any other
// byte is put back for the next read.
void skip_lf_after_cr(tarq_file* f) {
  if (f->kind == TARQ_FILE_STDIO) {
    int c = fgetc(f->fp);
    if (c != LF && c != EOF) ungetc(c, f->fp);
    return;
  }
  if (f->pos >= 0 && f->pos < f->size && f->data[f->pos] == LF) f->pos++;
}

bool at_end(tarq_file* f) {
  if (f->kind == TARQ_FILE_STDIO) return feof(f->fp) != 0;
  return f->pos < 0 || f->pos >= f->size;
}

char* read_line(char* buf, int size, tarq_file* f) {
  if (!buf || size < 1) return nullptr;
  buf[0] = 0;
  if (size < 2 || at_end(f)) return nullptr;
  int len = 0;
  int end = 0;
  int c = next_byte(f);
  if (c == CR || c == LF) {
    end = c;
  } else if (c >= 0 && c != EMPTY_LINE_MARK) {
    buf[len++] = static_cast<char>(c);
    while (len < size - 1) {
      c = next_byte(f);
      if (c < 0) break;
      if (c == CR || c == LF) {
        end = c;
        break;
      }
      buf[len++] = static_cast<char>(c);
    }
  }
  buf[len] = 0;
  if (end == CR) skip_lf_after_cr(f);
  return buf;
}

bool readable(const tarq_file* f) {
  return f && ((f->kind == TARQ_FILE_STDIO && f->fp) || f->kind == TARQ_FILE_MEMORY);
}

}  // namespace

char* tarq_fgets(char* buf, int size, tarq_file* f) {
  if (!readable(f) || !buf || size < 1) return nullptr;
  if (f->kind == TARQ_FILE_STDIO) return fgets(buf, size, f->fp);
  return read_line(buf, size, f);
}

char* tarq_fgets_sensitive(char* buf, int size, tarq_file* f) {
  if (!readable(f)) {
    if (buf && size > 0) buf[0] = 0;
    return nullptr;
  }
  return read_line(buf, size, f);
}
