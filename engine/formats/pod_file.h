#pragma once
// Pod files: pods stored as tagged chunks (an 8-byte header of tag and
// length, then the body). A file is a run of pods, each a CPOD chunk and its
// item chunks, or a lone CNOP for a null pod. Bitmap, voxmap and file chunks
// may hold their data block as an LZ4 record (lower-case first tag letter).
#include <cstdint>

struct tarq_file;
struct tarq_pod;
struct tarq_pod_set;

constexpr uint32_t tarq_chunk_tag(const char (&t)[5]) {
  return static_cast<uint32_t>(static_cast<uint8_t>(t[0])) | static_cast<uint32_t>(static_cast<uint8_t>(t[1])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(t[2])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(t[3])) << 24;
}

constexpr uint32_t TARQ_TAG_CPOD = tarq_chunk_tag("CPOD");
constexpr uint32_t TARQ_TAG_CNOP = tarq_chunk_tag("CNOP");
constexpr uint32_t TARQ_TAG_CBMP = tarq_chunk_tag("CBMP");
constexpr uint32_t TARQ_TAG_CVMP = tarq_chunk_tag("CVMP");
constexpr uint32_t TARQ_TAG_CPAL = tarq_chunk_tag("CPAL");
constexpr uint32_t TARQ_TAG_CMAT = tarq_chunk_tag("CMAT");
constexpr uint32_t TARQ_TAG_CMOD = tarq_chunk_tag("CMOD");
constexpr uint32_t TARQ_TAG_CANI = tarq_chunk_tag("CANI");
constexpr uint32_t TARQ_TAG_CSND = tarq_chunk_tag("CSND");
constexpr uint32_t TARQ_TAG_CSYN = tarq_chunk_tag("CSYN");
constexpr uint32_t TARQ_TAG_CFIL = tarq_chunk_tag("CFIL");
constexpr uint32_t TARQ_TAG_LOWER = 0x20;  // in the first letter: the data block is LZ4

constexpr int TARQ_POD_FILE_NAME_SIZE = 64;
constexpr int32_t TARQ_LZ4_MAX_INPUT = 0x7E000000;

// fn(stream, pod, tag): 0 when it consumed the chunk's body.
using tarq_load_item_func = int (*)(tarq_file* f, tarq_pod* pod, uint32_t tag);

tarq_pod* tarq_load_pod_file(const char* name, tarq_file* f);
tarq_pod* tarq_load_pod(const char* path);
// The pod stored in file item `slot` of a pod (null pod allowed), read from
// the item's start; null when there is no such item.
tarq_pod* tarq_load_pod_item(const tarq_pod* pod, int32_t slot);

void tarq_set_load_item_func(tarq_load_item_func fn);

// The bytes left in a stream from its position (0 when unknown).
int64_t tarq_stream_remaining(tarq_file* f);
// Reads the block of an LZ4 record whose length word k was already read (as
// much of it as the stream holds) and decodes it into dst; the decompressed
// size, or negative when the record is bad. A bad record leaves in dst what
// was decoded before the fault.
int32_t tarq_fread_lz4_block(void* dst, int32_t capacity, int32_t k, tarq_file* f);
