// Threads on SDL: the only place that starts them.
#include <SDL.h>

#include "engine/platform/host.h"
#include "engine/tracked_mem.h"

struct tarq_thread_handle {
  SDL_Thread* thread;
};

tarq_thread_handle* tarq_create_thread(int (*fn)(void*), void* data) {
  tarq_thread_handle* handle = static_cast<tarq_thread_handle*>(tarq_calloc(sizeof(tarq_thread_handle)));
  if (!handle) return nullptr;
  handle->thread = SDL_CreateThread(fn, "tarq_thread", data);
  if (!handle->thread) {
    tarq_free(handle);
    return nullptr;
  }
  return handle;
}

void tarq_destroy_thread(tarq_thread_handle* handle) {
  if (!handle) return;
  SDL_DetachThread(handle->thread);
  tarq_free(handle);
}

void tarq_join_thread(tarq_thread_handle* handle) {
  if (!handle) return;
  SDL_WaitThread(handle->thread, nullptr);
  tarq_free(handle);
}
