// Sets of 256 pods: emptying a set, files of 256 pods in a row, and list files
// that name one pod file per set entry.
#include <cstdio>
#include <cstring>

#include "engine/data/pod.h"
#include "engine/data/pod_set.h"
#include "engine/formats/pod_file.h"
#include "engine/formats/pod_file_write.h"
#include "engine/io/file.h"
#include "engine/io/path.h"
#include "engine/io/replace.h"
#include "engine/io/stream_values.h"
#include "engine/log.h"
#include "engine/log_format.h"

namespace {

void log_line(const char* fmt, const char* text) { tarq_logf(fmt, text); }

// Entries are replaced, never leaked: a pod already in the set is destroyed.
void read_set(tarq_file* f, tarq_pod_set* set) {
  for (tarq_pod*& p : set->pod) {
    tarq_destroy_pod(p);
    p = tarq_load_pod_file("", f);
  }
}

}  // namespace

int tarq_load_pod_set(const char* path, tarq_pod_set* set) {
  cpod_set_clear(set);
  tarq_file* f = tarq_fopen(path, "rb");
  if (!f) return 1;
  log_line("tarq_load_pod_set: %s ", path);
  read_set(f, set);
  tarq_fclose(f);
  tarq_debug("ok\n");
  return 0;
}

int tarq_load_pod_set_from_memory(const void* data, int32_t length, tarq_pod_set* set) {
  tarq_logf("tarq_load_pod_set_from_memory  len %d ", static_cast<int>(length));
  tarq_file* f = tarq_fopen_memory(data, length);
  if (f) {
    snprintf(f->name, sizeof f->name, "MEM_POD");
    read_set(f, set);
    tarq_fclose(f);
  }
  tarq_debug("ok\n");
  return 0;
}

int tarq_load_pod_set_from_text_file(const char* path, tarq_pod_set* set) {
  tarq_file* list = tarq_fopen(path, "r");
  if (!list) return 1;
  cpod_set_clear(set);
  char line[256];
  while (tarq_fgets(line, 255, list)) {
    if (line[0] == '/' || strlen(line) < 4) continue;
    int index = -1;
    char file[256];
    if (sscanf(line, "%d %255s", &index, file) != 2) continue;
    if (index < 0 || index >= TARQ_POD_SET_SIZE) continue;  // outside the set
    tarq_pod* pod = nullptr;
    tarq_file* f = tarq_fopen(file, "rb");
    if (f) {
      pod = tarq_load_pod_file(file, f);
      tarq_fclose(f);
    }
    tarq_destroy_pod(set->pod[index]);
    set->pod[index] = pod;
    tarq_logf("tarq_load_pod: %s %s \n", file, pod ? "ok" : "failed");
  }
  tarq_fclose(list);
  return 0;
}

int tarq_save_pod_set(const char* path, tarq_pod_set* set) {
  char temp[TARQ_PATH_MAX];
  tarq_file* f = tarq_open_replacement(path, temp);
  if (!f) return 1;
  int result = 0;
  for (tarq_pod* p : set->pod) result |= tarq_save_pod_file(path, p, f);
  return tarq_commit_replacement(f, temp, path, result == 0);
}

void cpod_set_init(tarq_pod_set* set) {
  for (tarq_pod*& p : set->pod) p = nullptr;
}

void cpod_set_clear(tarq_pod_set* set) {
  for (tarq_pod*& p : set->pod) p = tarq_destroy_pod(p);
}
