// Downloads on a thread of their own, with callbacks when they end.
#include "engine/platform/wget_job.h"

#include <cstdio>
#include <cstring>

#include "engine/platform/host.h"
#include "engine/tracked_mem.h"

namespace {

struct wget_job {
  char url[TARQ_URL_MAX + 2];
  char local_file[TARQ_PATH_MAX];
  tarq_wget_callback on_load;
  tarq_wget_callback on_error;
  bool too_long;
};

int run_wget_job(void* data) {
  wget_job* job = static_cast<wget_job*>(data);
  if (job->too_long) {
    if (job->on_error) job->on_error(job->local_file);
  } else {
    tarq_wget(job->url, job->local_file);
    if (job->on_load) job->on_load(job->local_file);
  }
  tarq_free(job);
  return 0;
}

}  // namespace

int tarq_wget_with_callbacks(const char* url, const char* local_file, tarq_wget_callback on_load,
                             tarq_wget_callback on_error) {
  if (!url || !local_file || strlen(local_file) >= TARQ_PATH_MAX) return 1;
  wget_job* job = static_cast<wget_job*>(tarq_malloc(sizeof(wget_job)));
  if (!job) return 1;
  job->too_long = strlen(url) > TARQ_URL_MAX;
  if (!job->too_long) snprintf(job->url, sizeof(job->url), "%s", url);
  snprintf(job->local_file, sizeof(job->local_file), "%s", local_file);
  job->on_load = on_load;
  job->on_error = on_error;
  tarq_thread_handle* thread = tarq_create_thread(run_wget_job, job);
  if (!thread) {
    tarq_free(job);
    return 1;
  }
  tarq_destroy_thread(thread);
  return 0;
}
