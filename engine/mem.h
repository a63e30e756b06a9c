#pragma once
// The tracked allocator: every engine block carries a header with a magic word
// and its size, is zero-filled when made and overwritten when freed.
// The growable memory buffers are engine streams of the owned-memory kind.
#include <cstddef>
#include <cstdint>

struct tarq_file;

constexpr uint32_t TARQ_MEM_MAGIC = 0xC0D0B10C;
constexpr uint32_t TARQ_MEM_FREED_MAGIC = 0x00ABBA00;
constexpr uint32_t TARQ_MEM_FREED_SIZE = 0x00CDDC00;
constexpr uint32_t TARQ_MEM_FREED_FILL = 0xDEADBEEF;
constexpr uint32_t TARQ_MEM_LIMIT = 0x40000000;  // largest block, 1 GiB

void* tarq_malloc(size_t n);
void* tarq_calloc(size_t n);
void* tarq_realloc(void* p, size_t n);
void tarq_free(void* p);
void tarq_memset(void* p, int byte, size_t n);

tarq_file* tarq_create_buffer(int32_t capacity);
int tarq_allocate_buffer_size(tarq_file* f, int32_t n);
void tarq_destroy_buffer(tarq_file* f);
tarq_file* tarq_clear_buffer(tarq_file* f);
uint8_t* cbuffer_add_uint8(tarq_file* f, uint8_t byte);
uint8_t* cbuffer_add_data(tarq_file* f, const void* data, int32_t count);
uint8_t* cbuffer_add_string(tarq_file* f, const char* text);
uint8_t cbuffer_get_uint8(tarq_file* f);
