#include "engine/data/model_edit.h"

#include <cmath>
#include <cstring>

#include "engine/data/matrix.h"
#include "engine/tarq.h"
#include "engine/tracked_mem.h"

namespace {

bool is_inline(const tarq_poly* p) { return p->capacity <= 4; }

void point_inline(tarq_poly* p) {
  p->index = p->inline_index;
  p->uv = &p->inline_uv[0][0];
}

void free_arrays(tarq_poly* p) {
  if (p->index && p->index != p->inline_index) tarq_free(p->index);
  if (p->uv && p->uv != &p->inline_uv[0][0]) tarq_free(p->uv);
  point_inline(p);
  p->capacity = 4;
}

void fresh_slot(tarq_poly* p) {
  memset(p, 0, sizeof *p);
  point_inline(p);
  p->capacity = 4;
  p->normal = {0, 0, 1};
}

// Moves a record to another slot: the arrays go with it (inline ones re-pointed).
void move_poly(tarq_poly* dst, const tarq_poly* src) {
  *dst = *src;
  if (is_inline(dst)) point_inline(dst);
}

tarq_vector add(tarq_vector a, tarq_vector b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }

}  // namespace

void cmodel_clear(tarq_model* m) {
  if (!m) return;
  for (int32_t i = 0; i < m->polygon_count; i++) free_arrays(&m->polygons[i]);
  m->polygon_count = m->vertex_count = m->bone_count = 0;
}

int32_t cmodel_new_vertex(tarq_model* m, float x, float y, float z) {
  if (!cmodel_max_vertices(m, m->vertex_count + 1)) return -1;
  int32_t i = m->vertex_count++;
  m->vertices[i] = {x, y, z};
  if (m->bone_vertices) m->bone_vertices[i] = {{0, 0}, 1.0f, {}};
  return i;
}

int32_t cmodel_new_polygon(tarq_model* m, int32_t n) {
  if (!cmodel_max_polygons(m, m->polygon_count + 1)) return -1;
  int32_t index = m->polygon_count;
  if (n == 2) {
    index = m->bone_count;
    // An ordinary polygon in the bone's place moves to the end.
    if (index < m->polygon_count) move_poly(&m->polygons[m->polygon_count], &m->polygons[index]);
    fresh_slot(&m->polygons[index]);
    cpoly_set_num_vertices(&m->polygons[index], 2);
    m->bone_count++;
    m->polygon_count++;
    cmodel_max_vertices(m, m->vertex_count);  // bones need bone vertices
    return index;
  }
  fresh_slot(&m->polygons[index]);
  if (!cpoly_set_num_vertices(&m->polygons[index], n)) return -1;
  m->polygon_count++;
  return index;
}

int32_t cmodel_new_quad(tarq_model* m, int32_t a, int32_t b, int32_t c, int32_t d) {
  int32_t i = cmodel_new_polygon(m, 4);
  if (i < 0) return i;
  int32_t* idx = m->polygons[i].index;
  idx[0] = a;
  idx[1] = b;
  idx[2] = c;
  idx[3] = d;
  return i;
}

int32_t cmodel_new_triangle(tarq_model* m, int32_t a, int32_t b, int32_t c) {
  int32_t i = cmodel_new_polygon(m, 3);
  if (i < 0) return i;
  int32_t* idx = m->polygons[i].index;
  idx[0] = a;
  idx[1] = b;
  idx[2] = c;
  return i;
}

void cmodel_delete_polygon(tarq_model* m, int32_t index) {
  if (!m || index < 0 || index >= m->polygon_count) return;
  free_arrays(&m->polygons[index]);
  int32_t freed = index;
  if (index < m->bone_count && m->polygons[index].count == 2) {
    int32_t last_bone = m->bone_count - 1;
    if (last_bone != index) move_poly(&m->polygons[index], &m->polygons[last_bone]);
    freed = last_bone;
    m->bone_count--;
  }
  int32_t last = m->polygon_count - 1;
  if (last != freed) move_poly(&m->polygons[freed], &m->polygons[last]);
  fresh_slot(&m->polygons[last]);
  m->polygon_count--;
}

void cmodel_delete_vertex(tarq_model* m, int32_t index) {
  if (!m || index < 0 || index >= m->vertex_count) return;
  int32_t last = m->vertex_count - 1;
  m->vertices[index] = m->vertices[last];
  // Data kept per vertex moves with it.
  if (m->bone_vertices) m->bone_vertices[index] = m->bone_vertices[last];
  if (m->vertex_normals) m->vertex_normals[index] = m->vertex_normals[last];
  for (int32_t p = 0; p < m->polygon_count; p++) {
    tarq_poly* poly = &m->polygons[p];
    for (int32_t k = 0; k < poly->count; k++) {
      if (poly->index[k] == index) poly->index[k] = -1;
      else if (poly->index[k] == last) poly->index[k] = index;
    }
  }
  m->vertex_count--;
}

void cpoly_copy(tarq_poly* dst, const tarq_poly* src, int shallow) {
  *dst = *src;
  if (is_inline(dst)) {
    point_inline(dst);
    return;
  }
  if (shallow) return;
  int32_t* index = (int32_t*)tarq_malloc(sizeof(int32_t) * (size_t)src->capacity);
  float* uv = (float*)tarq_malloc(sizeof(float) * 2 * (size_t)src->capacity);
  if (!index || !uv) {
    // Without room for its own arrays the copy is left empty, never sharing.
    tarq_free(index);
    tarq_free(uv);
    point_inline(dst);
    dst->capacity = 4;
    dst->count = 0;
    return;
  }
  memcpy(index, src->index, sizeof(int32_t) * (size_t)src->capacity);
  memcpy(uv, src->uv, sizeof(float) * 2 * (size_t)src->capacity);
  dst->index = index;
  dst->uv = uv;
}

tarq_poly* tarq_create_poly(int32_t n) {
  tarq_poly* p = (tarq_poly*)tarq_malloc(sizeof(tarq_poly));
  if (!p) return nullptr;
  fresh_slot(p);
  if (!cpoly_set_num_vertices(p, n)) {
    tarq_free(p);
    return nullptr;
  }
  tarq_item_created();
  return p;
}

void tarq_destroy_cpoly(tarq_poly* p) {
  if (!p) return;
  free_arrays(p);
  tarq_free(p);
  tarq_item_destroyed();
}

void cmodel_calculate_vertex_normals(tarq_model* m) {
  if (!m) return;
  size_t bytes = sizeof(tarq_vector) * (size_t)(m->vertex_count > 0 ? m->vertex_count : 1);
  tarq_vector* normals = (tarq_vector*)tarq_realloc(m->vertex_normals, bytes);
  if (!normals) return;
  m->vertex_normals = normals;
  memset(normals, 0, bytes);
  cmodel_calculate_normals(m);
  for (int32_t p = 0; p < m->polygon_count; p++) {
    const tarq_poly* poly = &m->polygons[p];
    for (int32_t k = 0; k < poly->count; k++) {
      int32_t v = poly->index[k];
      if (v >= 0 && v < m->vertex_count) normals[v] = add(normals[v], poly->normal);
    }
  }
  for (int32_t v = 0; v < m->vertex_count; v++) {
    tarq_vector& n = normals[v];
    if (std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z) < 0.001f) n = {0, 1, 0};
    tarq_normalize(&n);
  }
}

void cmodel_evaluate_bone_vertices(const tarq_model* m, tarq_vector* out) {
  if (!m || !out || m->bone_count <= 0 || !m->bone_vertices || !m->bone_matrices) return;
  for (int32_t i = 0; i < m->vertex_count; i++) {
    const tarq_bone_vertex& bv = m->bone_vertices[i];
    tarq_vector at[2];
    for (int k = 0; k < 2; k++) {
      int32_t b = bv.bone[k];
      if (b < 0 || b >= m->bone_count) b = 0;  // a stray bone index reads bone 0
      tarq_apply_matrix(&m->bone_matrices[b], &bv.local[k], &at[k]);
    }
    float w = bv.weight, u = 1.0f - bv.weight;
    out[i] = {w * at[0].x + u * at[1].x, w * at[0].y + u * at[1].y, w * at[0].z + u * at[1].z};
  }
}

int32_t cmodel_get_bone_dat_index(const tarq_model*, int32_t bone) { return 4 * bone; }
