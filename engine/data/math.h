#pragma once
// Engine numerics: 16.16 fixed-point multiply and divide, table-driven
// trigonometry on 16-bit angles (65536 units to the turn, screen y down),
// an approximate distance, an integer hash, and single-precision 3-D
// vectors and affine matrices.
#include <cstdint>

constexpr int TARQ_COS_TABLE_SIZE = 4097;   // a quarter wave at 16384 steps a turn
constexpr int TARQ_ATAN_TABLE_SIZE = 2049;  // atan(0..1) at 2048 steps

extern const int32_t* const cos_val;
extern const int32_t* const atan_val;

int32_t tarq_fmul(int32_t a, int32_t b);
int32_t tarq_fdiv(int32_t a, int32_t b);

int32_t fcos(int32_t angle);
int32_t fsin(int32_t angle);
int32_t ftan(int32_t ratio);
int32_t ftan2(int32_t x, int32_t y);
int32_t fdist(int32_t a, int32_t b);
int32_t tarq_mangle_int32(int32_t a);

struct tarq_vector {
  float x, y, z;
};

// m[0..8]: the 3x3 part by rows; t[0..2]: the translation.
struct tarq_matrix {
  float m[9];
  float t[3];
};

void tarq_normalize(tarq_vector* v);
void tarq_cross_product(const tarq_vector* a, const tarq_vector* b, tarq_vector* out);
void tarq_get_identity_matrix(tarq_matrix* m);
void tarq_matrix_mul(const tarq_matrix* a, const tarq_matrix* b, tarq_matrix* out);
void tarq_apply_matrix(const tarq_matrix* m, const tarq_vector* p, tarq_vector* out);
void tarq_apply_matrix_inverse(const tarq_matrix* m, const tarq_vector* p, tarq_vector* out);
void tarq_get_transformation_matrix(tarq_matrix* m, const tarq_vector* scale, const tarq_vector* angles,
                                    const tarq_vector* pos);
void tarq_get_vector_rotation_matrix(tarq_matrix* m, tarq_vector* axis, float angle);
