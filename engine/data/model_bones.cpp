// Derived model data: face normals, bone parents and order, the rest pose,
// bone matrices from a pose, and each vertex in its bones' frames.
#include <cmath>
#include <cstring>

#include "engine/data/model.h"
#include "engine/tracked_mem.h"

namespace {

tarq_vector sub(const tarq_vector& a, const tarq_vector& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

// Vertex i, or the origin for an index outside the model.
tarq_vector vertex(const tarq_model* m, int32_t i) {
  if (i < 0 || i >= m->vertex_count) return {0, 0, 0};
  return m->vertices[i];
}

int32_t bone_start(const tarq_model* m, int32_t b) { return m->polygons[b].index[0]; }
int32_t bone_end(const tarq_model* m, int32_t b) {
  return m->polygons[b].count >= 2 ? m->polygons[b].index[1] : m->polygons[b].index[0];
}

float anchor_as_float(int32_t word) {
  float f;
  memcpy(&f, &word, sizeof f);
  return f;
}

int32_t anchor_as_word(float f) {
  int32_t word;
  memcpy(&word, &f, sizeof word);
  return word;
}

}  // namespace

void cmodel_calculate_normals(tarq_model* m) {
  for (int32_t i = 0; i < m->polygon_count; i++) {
    tarq_poly* p = &m->polygons[i];
    if (p->count < 3) {
      p->normal = {0, 1, 0};
      continue;
    }
    tarq_vector p0 = vertex(m, p->index[0]), p1 = vertex(m, p->index[1]), p2 = vertex(m, p->index[2]);
    tarq_vector a = sub(p1, p0), b = sub(p1, p2);
    tarq_cross_product(&a, &b, &p->normal);
    tarq_normalize(&p->normal);
  }
}

void cmodel_calculate_bone_parents(tarq_model* m) {
  int32_t bones = m->bone_count;
  m->pose_size = 16 * (bones + 1);
  tarq_free(m->bone_parents);
  tarq_free(m->bone_order);
  m->bone_parents = m->bone_order = nullptr;
  if (bones <= 0) return;
  m->bone_parents = static_cast<int32_t*>(tarq_calloc(sizeof(int32_t) * static_cast<size_t>(bones)));
  m->bone_order = static_cast<int32_t*>(tarq_calloc(sizeof(int32_t) * static_cast<size_t>(bones)));
  uint8_t* listed = static_cast<uint8_t*>(tarq_calloc(static_cast<size_t>(bones)));
  if (!m->bone_parents || !m->bone_order || !listed) {
    tarq_free(listed);
    return;
  }
  for (int32_t i = 0; i < bones; i++) {
    m->bone_parents[i] = -1;
    for (int32_t j = 0; j < bones; j++)
      if (bone_end(m, j) == bone_start(m, i)) m->bone_parents[i] = j;
  }
  int32_t n = 0;
  for (bool added = true; added;) {
    added = false;
    for (int32_t i = 0; i < bones; i++) {
      int32_t parent = m->bone_parents[i];
      if (!listed[i] && (parent < 0 || listed[parent])) {
        listed[i] = 1;
        m->bone_order[n++] = i;
        added = true;
      }
    }
  }
  // Bones on a parent loop never enter the order; the rest of it stays -1.
  for (int32_t i = n; i < bones; i++) m->bone_order[i] = -1;
  tarq_free(listed);
}

void cmodel_calculate_matrices(tarq_model* m, const float* pose) {
  int32_t bones = m->bone_count;
  if (bones <= 0) return;
  tarq_matrix* matrices =
      static_cast<tarq_matrix*>(tarq_realloc(m->bone_matrices, sizeof(tarq_matrix) * static_cast<size_t>(bones)));
  if (!matrices) return;
  m->bone_matrices = matrices;
  for (int32_t b = 0; b < bones; b++) {
    const float* q = pose + 4 * b;
    float s0 = std::sin(q[0]), c0 = std::cos(q[0]);
    float s1 = std::sin(q[1]), c1 = std::cos(q[1]);
    float s2 = std::sin(q[2]), c2 = std::cos(q[2]);
    tarq_vector r0 = {c0 * c1, s1, s0 * c1};
    tarq_vector r1 = {-c0 * s1 * s2 - s0 * c2, s2 * c1, c0 * c2 - s0 * s1 * s2};
    tarq_vector r2;
    tarq_cross_product(&r0, &r1, &r2);
    float s = q[3];
    tarq_matrix& mx = m->bone_matrices[b];
    const tarq_vector rows[3] = {r0, r1, r2};
    for (int k = 0; k < 3; k++) {  // stored transposed: column k is row k
      mx.m[0 + k] = rows[k].x * s;
      mx.m[3 + k] = rows[k].y * s;
      mx.m[6 + k] = rows[k].z * s;
    }
    mx.t[0] = mx.t[1] = mx.t[2] = 0;
  }
  if (m->bone_parents && m->bone_order) {
    for (int32_t k = 0; k < bones; k++) {
      int32_t b = m->bone_order[k];
      if (b < 0) break;
      int32_t parent = m->bone_parents[b];
      if (parent < 0) continue;
      const tarq_matrix& pm = m->bone_matrices[parent];
      for (int r = 0; r < 3; r++) m->bone_matrices[b].t[r] = pm.t[r] + pm.m[3 * r];
    }
  }
  const float* anchor = pose + 4 * bones;
  int32_t a = anchor_as_word(anchor[3]);
  int32_t bone = a < 0 ? (a == INT32_MIN ? bones : -a) : a;
  if (bone >= bones) return;
  const tarq_matrix& am = m->bone_matrices[bone];
  float point[3];
  for (int r = 0; r < 3; r++) point[r] = am.t[r] + (a < 0 ? am.m[3 * r] : 0.0f);
  float shift[3] = {anchor[0] - point[0], anchor[1] - point[1], anchor[2] - point[2]};
  for (int32_t b = 0; b < bones; b++)
    for (int r = 0; r < 3; r++) m->bone_matrices[b].t[r] += shift[r];
}

void cmodel_calculate_bone_vertices(tarq_model* m, float* pose_out) {
  if (!m) return;
  int32_t bones = m->bone_count;
  if (bones <= 0) {
    tarq_free(m->bone_vertices);
    m->bone_vertices = nullptr;
    return;
  }
  // Present bone-vertex arrays follow the vertex capacity (cmodel_max_vertices).
  if (!m->bone_vertices) {
    int32_t n = m->vertex_capacity > 0 ? m->vertex_capacity : 1;
    m->bone_vertices = static_cast<tarq_bone_vertex*>(tarq_malloc(sizeof(tarq_bone_vertex) * static_cast<size_t>(n)));
    if (!m->bone_vertices) return;
    for (int32_t i = 0; i < n; i++) m->bone_vertices[i] = {{0, 0}, 1.0f, {}};
  }
  float* pose = static_cast<float*>(tarq_calloc(sizeof(float) * 4 * static_cast<size_t>(bones + 1)));
  if (!pose) return;
  for (int32_t b = 0; b < bones; b++) {
    tarq_vector start = vertex(m, bone_start(m, b));
    tarq_vector d = sub(vertex(m, bone_end(m, b)), start);
    float length = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    tarq_normalize(&d);
    float yaw = std::atan2(d.z, d.x);
    float root = std::sqrt(d.x * d.x + d.z * d.z);
    float pitch =
        root != 0.0f ? std::atan(d.y / root) : (d.y >= 0 ? static_cast<float>(M_PI_2) : -static_cast<float>(M_PI_2));
    if (d.z < 0) {
      yaw += static_cast<float>(M_PI);
      pitch += (static_cast<float>(M_PI_2) - std::fabs(pitch)) * 2.0f * (d.y >= 0 ? 1.0f : -1.0f);
    }
    float* q = pose + 4 * b;
    q[0] = yaw;
    q[1] = pitch;
    q[2] = 0;
    q[3] = length;
    if (!m->bone_parents || m->bone_parents[b] < 0) {
      float* anchor = pose + 4 * bones;
      anchor[0] = start.x;
      anchor[1] = start.y;
      anchor[2] = start.z;
      anchor[3] = anchor_as_float(b);
    }
  }
  if (pose_out) {
    memcpy(pose_out, pose, sizeof(float) * 4 * static_cast<size_t>(bones + 1));
    tarq_free(pose);
    return;
  }
  cmodel_calculate_matrices(m, pose);
  tarq_free(pose);
  if (!m->bone_matrices) return;
  for (int32_t i = 0; i < m->vertex_count; i++) {
    tarq_bone_vertex& bv = m->bone_vertices[i];
    for (int k = 0; k < 2; k++) {
      int32_t b = bv.bone[k];
      if (b < 0 || b >= bones) b = 0;
      tarq_apply_matrix_inverse(&m->bone_matrices[b], &m->vertices[i], &bv.local[k]);
    }
  }
}

void cmodel_decorate(tarq_model* m) {
  cmodel_calculate_normals(m);
  cmodel_calculate_bone_parents(m);
  cmodel_calculate_bone_vertices(m, nullptr);
}
