#pragma once
// Writing pods as pod files, and the hook that writes application items.
// The player only reads pod files.
#include <cstdint>

struct tarq_file;
struct tarq_pod;

// fn(stream, pod, slot): writes the chunks of an application item (type 100 and up).
using tarq_save_item_func = int (*)(tarq_file* f, tarq_pod* pod, int32_t slot);

int tarq_save_pod_file(const char* name, tarq_pod* pod, tarq_file* f);
// The pod as a new file replacing `path` whole (engine/io/replace.h): 0
// written, 1 when it could not be written (the old file stays).
int tarq_save_pod(const char* path, tarq_pod* pod);
void tarq_set_save_item_func(tarq_save_item_func fn);
