// Affine matrices: identity, product, applying one to a point, and building
// one from scale, angles and position or from a rotation about an axis.
#include "engine/data/matrix.h"

#include <cmath>

#include "engine/data/math.h"

void tarq_get_identity_matrix(tarq_matrix* m) { *m = {{1, 0, 0, 0, 1, 0, 0, 0, 1}, {0, 0, 0}}; }

void tarq_matrix_mul(const tarq_matrix* a, const tarq_matrix* b, tarq_matrix* out) {
  tarq_matrix r;
  for (int row = 0; row < 3; row++) {
    for (int col = 0; col < 3; col++) {
      float s = 0;
      for (int k = 0; k < 3; k++) s += b->m[row * 3 + k] * a->m[k * 3 + col];
      r.m[row * 3 + col] = s;
    }
    float t = b->t[row];
    for (int k = 0; k < 3; k++) t += b->m[row * 3 + k] * a->t[k];
    r.t[row] = t;
  }
  *out = r;
}

void tarq_apply_matrix(const tarq_matrix* m, const tarq_vector* p, tarq_vector* out) {
  tarq_vector r = {m->m[0] * p->x + m->m[1] * p->y + m->m[2] * p->z + m->t[0],
                   m->m[3] * p->x + m->m[4] * p->y + m->m[5] * p->z + m->t[1],
                   m->m[6] * p->x + m->m[7] * p->y + m->m[8] * p->z + m->t[2]};
  *out = r;
}

void tarq_get_transformation_matrix(tarq_matrix* m, const tarq_vector* scale, const tarq_vector* angles,
                                    const tarq_vector* pos) {
  float sx = std::sin(angles->x), cx = std::cos(angles->x);
  float sy = std::sin(angles->y), cy = std::cos(angles->y);
  float sz = std::sin(angles->z), cz = std::cos(angles->z);
  float rot[9] = {cy * cz,
                  cy * sz,
                  -sy,
                  sx * sy * cz - cx * sz,
                  cx * cz + sx * sy * sz,
                  sx * cy,
                  sx * sz + cx * sy * cz,
                  cx * sy * sz - sx * cz,
                  cx * cy};
  const float col_scale[3] = {scale->x, scale->y, scale->z};
  for (int i = 0; i < 9; i++) m->m[i] = rot[i] * col_scale[i % 3];
  m->t[0] = pos->x;
  m->t[1] = pos->y;
  m->t[2] = pos->z;
}

void tarq_get_vector_rotation_matrix(tarq_matrix* m, tarq_vector* axis, float angle) {
  tarq_normalize(axis);
  float x = axis->x, y = axis->y, z = axis->z;
  float c = std::cos(angle), s = std::sin(angle), u = 1.0f - c;
  *m = {{c + u * x * x, u * x * y + z * s, u * x * z - y * s, u * x * y - z * s, c + u * y * y, x * s + u * y * z,
         u * x * z + y * s, u * y * z - x * s, c + u * z * z},
        {0, 0, 0}};
}
