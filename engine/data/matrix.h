#pragma once
// Affine matrices: identity, product, applying one to a point, and building
// one from scale, angles and position or from a rotation about an axis.
// The player transforms no point by a matrix.
#include "engine/data/math.h"

void tarq_get_identity_matrix(tarq_matrix* m);
void tarq_matrix_mul(const tarq_matrix* a, const tarq_matrix* b, tarq_matrix* out);
void tarq_apply_matrix(const tarq_matrix* m, const tarq_vector* p, tarq_vector* out);
void tarq_get_transformation_matrix(tarq_matrix* m, const tarq_vector* scale, const tarq_vector* angles,
                                    const tarq_vector* pos);
void tarq_get_vector_rotation_matrix(tarq_matrix* m, tarq_vector* axis, float angle);
