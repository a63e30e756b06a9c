#include "engine/data/model.h"

#include <cstdio>
#include <cstring>

#include "engine/log.h"
#include "engine/log_format.h"
#include "engine/tarq.h"
#include "engine/tracked_mem.h"

namespace {

void log_assertion(const char* what) { tarq_logf("\nAssertion failed: %s\n", what); }

int32_t grown_capacity(int32_t capacity, int32_t n) {
  if (n == capacity + 1) {
    int32_t more = static_cast<int32_t>(static_cast<int64_t>(n) * 5 / 4);
    return more > n ? more : n;
  }
  return n;
}

void set_inline(tarq_poly* p) {
  p->index = p->inline_index;
  p->uv = &p->inline_uv[0][0];
}

void free_poly_arrays(tarq_poly* p) {
  if (p->index != p->inline_index) tarq_free(p->index);
  if (p->uv != &p->inline_uv[0][0]) tarq_free(p->uv);
  set_inline(p);
}

bool grow_bone_vertices(tarq_model* m, int32_t capacity) {
  tarq_bone_vertex* bv = static_cast<tarq_bone_vertex*>(
      tarq_realloc(m->bone_vertices, sizeof(tarq_bone_vertex) * static_cast<size_t>(capacity)));
  if (!bv) {
    log_assertion("Could not allocate bone_vertex");
    return false;
  }
  m->bone_vertices = bv;
  return true;
}

}  // namespace

tarq_model* tarq_create_model() {
  tarq_model* m = static_cast<tarq_model*>(tarq_calloc(sizeof(tarq_model)));
  if (m) tarq_item_created();
  return m;
}

void tarq_destroy_model(tarq_model* m) {
  if (!m) return;
  for (int32_t i = 0; i < m->polygon_count; i++) free_poly_arrays(&m->polygons[i]);
  tarq_free(m->vertices);
  tarq_free(m->polygons);
  tarq_free(m->bone_vertices);
  tarq_free(m->vertex_normals);
  tarq_free(m->bone_parents);
  tarq_free(m->bone_order);
  tarq_free(m->bone_matrices);
  tarq_free(m);
  tarq_item_destroyed();
}

int cmodel_max_vertices(tarq_model* m, int32_t n) {
  if (n > m->vertex_capacity) {
    int32_t capacity = grown_capacity(m->vertex_capacity, n);
    tarq_vector* v =
        static_cast<tarq_vector*>(tarq_realloc(m->vertices, sizeof(tarq_vector) * static_cast<size_t>(capacity)));
    if (!v) {
      log_assertion("Could not allocate vertex");
      return 0;
    }
    memset(v + m->vertex_capacity, 0, sizeof(tarq_vector) * static_cast<size_t>(capacity - m->vertex_capacity));
    m->vertices = v;
    if (m->bone_vertices && !grow_bone_vertices(m, capacity)) return 0;
    m->vertex_capacity = capacity;
  }
  if (m->bone_count > 0 && !m->bone_vertices && m->vertex_capacity > 0) {
    if (!grow_bone_vertices(m, m->vertex_capacity)) return 0;
    for (int32_t i = 0; i < m->vertex_capacity; i++) m->bone_vertices[i] = {{0, 0}, 1.0f, {}};
  }
  return 1;
}

int cmodel_max_polygons(tarq_model* m, int32_t n) {
  if (n <= m->polygon_capacity) return 1;
  int32_t capacity = grown_capacity(m->polygon_capacity, n);
  tarq_poly* p = static_cast<tarq_poly*>(tarq_realloc(m->polygons, sizeof(tarq_poly) * static_cast<size_t>(capacity)));
  if (!p) {
    log_assertion("Could not allocate poly");
    return 0;
  }
  m->polygons = p;
  for (int32_t i = 0; i < m->polygon_count; i++)
    if (p[i].capacity <= 4) set_inline(&p[i]);
  for (int32_t i = m->polygon_capacity; i < capacity; i++) {
    memset(&p[i], 0, sizeof(tarq_poly));
    set_inline(&p[i]);
    p[i].capacity = 4;
    p[i].normal = {0, 0, 1};
  }
  m->polygon_capacity = capacity;
  return 1;
}

int cpoly_set_num_vertices(tarq_poly* p, int32_t n) {
  if (n < 0 || n > 0x7FFE) return 0;
  int32_t need = (n + 1) & ~1;
  if (need > p->capacity && need > 4) {
    int32_t* index = static_cast<int32_t*>(tarq_calloc(sizeof(int32_t) * static_cast<size_t>(need)));
    float* uv = static_cast<float*>(tarq_calloc(sizeof(float) * 2 * static_cast<size_t>(need)));
    if (!index || !uv) {
      tarq_free(index);
      tarq_free(uv);
      return 0;
    }
    memcpy(index, p->index, sizeof(int32_t) * static_cast<size_t>(p->count));
    memcpy(uv, p->uv, sizeof(float) * 2 * static_cast<size_t>(p->count));
    free_poly_arrays(p);
    p->index = index;
    p->uv = uv;
    p->capacity = static_cast<int16_t>(need);
  }
  for (int32_t i = p->count; i < n; i++) {
    p->index[i] = 0;
    p->uv[2 * i] = p->uv[2 * i + 1] = 0;
  }
  p->count = static_cast<int16_t>(n);
  return 1;
}

tarq_material* tarq_create_material() {
  tarq_material* mat = static_cast<tarq_material*>(tarq_calloc(sizeof(tarq_material)));
  if (!mat) return nullptr;
  mat->word[8] = static_cast<int32_t>(0xff336699u);
  mat->word[9] = static_cast<int32_t>(0xff606060u);
  tarq_item_created();
  return mat;
}

void tarq_destroy_material(tarq_material* mat) {
  if (!mat) return;
  tarq_free(mat);
  tarq_item_destroyed();
}
