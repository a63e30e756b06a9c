#include "engine/sha1.h"

#include <nettle/sha1.h>

#include <cstdint>
#include <cstdio>

int tarq_sha1(const void* data, size_t length, char* out) {
  sha1_ctx ctx;
  sha1_init(&ctx);
  if (length > 0) sha1_update(&ctx, length, static_cast<const uint8_t*>(data));
  uint8_t digest[SHA1_DIGEST_SIZE];
  sha1_digest(&ctx, SHA1_DIGEST_SIZE, digest);
  for (int i = 0; i < SHA1_DIGEST_SIZE; i++)
    snprintf(out + 2 * i, TARQ_SHA1_TEXT_SIZE - 2 * i, "%02x", digest[i]);
  return 1;
}
