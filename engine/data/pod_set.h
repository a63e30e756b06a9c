#pragma once
// Sets of 256 pods: emptying a set, files of 256 pods in a row, and list
// files that name one pod file per set entry. Nothing in the player uses a set.
#include <cstdint>

#include "engine/data/pod.h"

int tarq_load_pod_set(const char* path, tarq_pod_set* set);
int tarq_load_pod_set_from_memory(const void* data, int32_t length, tarq_pod_set* set);
int tarq_load_pod_set_from_text_file(const char* path, tarq_pod_set* set);
// 0 written, 1 when the file could not be written (the old one stays).
int tarq_save_pod_set(const char* path, tarq_pod_set* set);
void cpod_set_init(tarq_pod_set* set);
void cpod_set_clear(tarq_pod_set* set);
