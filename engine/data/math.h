#pragma once
// Engine numerics: table-driven trigonometry on 16-bit angles (65536 units
// to the turn, screen y down), and single-precision 3-D vectors and affine
// matrices (their operations beyond normalising and cross products are in
// engine/data/matrix.h).
#include <cstdint>

constexpr int TARQ_COS_TABLE_SIZE = 4097;   // a quarter wave at 16384 steps a turn
constexpr int TARQ_ATAN_TABLE_SIZE = 2049;  // atan(0..1) at 2048 steps

extern const int32_t* const cos_val;
extern const int32_t* const atan_val;

int32_t fcos(int32_t angle);
int32_t fsin(int32_t angle);
int32_t ftan(int32_t ratio);
int32_t ftan2(int32_t x, int32_t y);

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
void tarq_apply_matrix_inverse(const tarq_matrix* m, const tarq_vector* p, tarq_vector* out);
