#include "engine/formats/sha1.h"

#include <nettle/sha1.h>

#include <cstdint>

int tarq_sha1(const void* data, size_t length, char* out) {
  sha1_ctx ctx;
  sha1_init(&ctx);
  if (length > 0) sha1_update(&ctx, length, static_cast<const uint8_t*>(data));
  uint8_t digest[SHA1_DIGEST_SIZE];
  sha1_digest(&ctx, SHA1_DIGEST_SIZE, digest);
  static const char hex[] = "0123456789abcdef";
  for (int i = 0; i < SHA1_DIGEST_SIZE; i++) {
    out[2 * i] = hex[digest[i] >> 4];
    out[2 * i + 1] = hex[digest[i] & 15];
  }
  out[2 * SHA1_DIGEST_SIZE] = 0;
  return 1;
}
