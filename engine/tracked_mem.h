#pragma once
// The tracked allocator: every engine block carries a header with a magic word
// and its size, is zero-filled when made and marked (in debug builds also
// overwritten) when freed.
// The growable memory buffers are engine streams of the owned-memory kind.
//
// Header: TARQ_MEM_HEADER bytes in front of the data, ending in the magic word
// and the size word (32 bits each). The header is as large as the host's
// strictest fundamental alignment, so the data keeps malloc's alignment.
// Every request whose size would pass TARQ_MEM_LIMIT (including one whose size
// arithmetic would overflow) gives null, as does a failing system allocator.
#include <cstddef>
#include <cstdint>

struct tarq_file;

constexpr uint32_t TARQ_MEM_MAGIC = 0xC0D0B10C;
constexpr uint32_t TARQ_MEM_FREED_MAGIC = 0x00ABBA00;
constexpr uint32_t TARQ_MEM_FREED_SIZE = 0x00CDDC00;
constexpr uint32_t TARQ_MEM_FREED_FILL = 0xDEADBEEF;
constexpr uint32_t TARQ_MEM_LIMIT = 0x40000000;  // largest block, 1 GiB
constexpr size_t TARQ_MEM_HEADER = alignof(std::max_align_t) > 8 ? alignof(std::max_align_t) : 8;
constexpr size_t TARQ_MEM_SLACK = 16;  // spare zero bytes behind every tarq_malloc block

void* tarq_malloc(size_t n);            // n + 16 zeroed bytes
void* tarq_calloc(size_t n);            // exactly n zeroed bytes; 0 gives null
void* tarq_realloc(void* p, size_t n);  // null when refused; the old block then stays
void tarq_free(void* p);
void tarq_memset(void* p, int byte, size_t n);

// Whether tarq_free overwrites a block's data with the freed pattern. Debug
// and sanitizer builds do, so that a stale pointer reads an unmistakable
// pattern; a release build only marks the header, so that freeing large
// blocks (at exit above all) does not write through all of their memory.
#if !defined(NDEBUG) || defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool TARQ_MEM_FILL_FREED = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
constexpr bool TARQ_MEM_FILL_FREED = true;
#else
constexpr bool TARQ_MEM_FILL_FREED = false;
#endif
#else
constexpr bool TARQ_MEM_FILL_FREED = false;
#endif

// Marks a tracked block's header freed and returns the system block to
// release; a block without the magic word is reported ("tarq_free fail") and
// null is returned. tarq_mem_scrub first overwrites every whole word of the
// data with the freed pattern. tarq_free is one of them (as
// TARQ_MEM_FILL_FREED says) followed by the system free.
void* tarq_mem_release(void* p);
void* tarq_mem_scrub(void* p);

// A memory buffer is an owned memory stream. tarq_allocate_buffer_size returns
// 0 when the capacity is at least n, non-zero when it cannot grow (over the
// limit, out of memory, or a borrowed block). cbuffer_ appenders return the
// address of the stored bytes, or null when not all of them could be stored.
tarq_file* tarq_create_buffer(int32_t capacity);
int tarq_allocate_buffer_size(tarq_file* f, int32_t n);
void tarq_destroy_buffer(tarq_file* f);
tarq_file* tarq_clear_buffer(tarq_file* f);
uint8_t* cbuffer_add_data(tarq_file* f, const void* data, int32_t count);
