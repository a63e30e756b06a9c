#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "engine/data/math.h"
#include "engine/data/math_scalar.h"
#include "engine/data/matrix.h"

TEST(EngineMath, FixedMultiplyWrapsAndDivideSaturates) {
  EXPECT_EQ(tarq_fmul(0x10000, 0x10000), 0x10000);
  EXPECT_EQ(tarq_fmul(-0x18000, 0x20000), -0x30000);
  EXPECT_EQ(tarq_fmul(0x7FFF0000, 0x20000), (int32_t)0xFFFE0000);  // wraps, no saturation
  struct {
    int32_t a, b, want;
  } divs[] = {
      {1, 0, 0x7FFFFFFF},
      {-1, 0, (int32_t)0x80000001},
      {0, 0, 0x7FFFFFFF},
      {0x7FFFFFFF, 1, 0x7FFFFFFF},
      {65536, 131072, 32768},
      {-65536, 131072, -32768},
      {(int32_t)0x80000000, 1, (int32_t)0x80000001},
      {-3, 65536 * 2, -1},  // truncation toward zero
  };
  for (auto& d : divs) EXPECT_EQ(tarq_fdiv(d.a, d.b), d.want) << d.a << " / " << d.b;
}

TEST(EngineMath, TablesHoldRoundedQuarterWaves) {
  EXPECT_EQ(cos_val[0], 65536);
  EXPECT_EQ(cos_val[4096], 0);
  EXPECT_EQ(atan_val[0], 0);
  EXPECT_EQ(atan_val[2048], 8192);
  EXPECT_EQ(cos_val[1024], (int32_t)std::lround(std::cos(M_PI / 8) * 65536));
}

TEST(EngineMath, CosineMatchesLibmAtEveryAngle) {
  int worst_raw = 0;
  for (int a = 0; a < 65536; a++) {
    // The table holds 16384 steps a turn; an angle rounds to the nearest step.
    int step = (((a + 2) & 0xFFFF) >> 2) << 2;
    double want = std::cos(2 * M_PI * step / 65536.0) * 65536.0;
    ASSERT_LE(std::fabs(fcos(a) - want), 1.0) << "angle " << a;
    double raw = std::fabs(fcos(a) - std::cos(2 * M_PI * a / 65536.0) * 65536.0);
    if (raw > worst_raw) worst_raw = (int)raw;
  }
  EXPECT_LE(worst_raw, 13);  // half a table step at the steepest point
  EXPECT_EQ(fcos(0), 65536);
  EXPECT_EQ(fcos(16384), 0);
  EXPECT_EQ(fcos(32768), -65536);
  EXPECT_EQ(fcos(65536), fcos(0));
  EXPECT_EQ(fcos(-16384), 0);
  EXPECT_EQ(fsin(16384), -65536);
  EXPECT_EQ(fsin(0), 0);
  EXPECT_EQ(fsin(0x7FFFFFFF), fsin(0xFFFF));
}

TEST(EngineMath, ArcTangents) {
  EXPECT_EQ(ftan2(1, 0), 0);
  EXPECT_EQ(ftan2(0, -1), 16384);
  EXPECT_EQ(ftan2(-1, 0), 32768);
  EXPECT_EQ(ftan2(0, 1), 49152);
  EXPECT_EQ(ftan2(5, -5), 8192);
  EXPECT_EQ(ftan2(-5, -5), 24576);
  EXPECT_EQ(ftan2(-5, 5), 40960);
  EXPECT_EQ(ftan2(5, 5), 57344);
  // Extreme inputs neither overflow nor leave the range.
  int32_t big = (int32_t)0x80000000;
  for (int32_t x : {big, -1, 1, 0x7FFFFFFF})
    for (int32_t y : {big, -1, 1, 0x7FFFFFFF}) {
      int32_t a = ftan2(x, y);
      EXPECT_GE(a, 0);
      EXPECT_LE(a, 65535);
    }
  EXPECT_EQ(ftan(0), 0);
  EXPECT_EQ(ftan(65536), 8192);
  EXPECT_EQ(ftan(-65536), -8192);
  EXPECT_NEAR(ftan(0x7FFFFFFF), 16384, 2);
  EXPECT_NEAR(ftan(big), -16384, 2);
  for (int r = -300000; r <= 300000; r += 997) {
    double want = std::atan(r / 65536.0) / (2 * M_PI) * 65536.0;
    EXPECT_NEAR(ftan(r), want, 6.0) << r;  // one table step
  }
}

TEST(EngineMath, DistanceAndMangle) {
  EXPECT_EQ(fdist(3, -4), 4 + 1);
  EXPECT_EQ(fdist(-10, 0), 10);
  EXPECT_EQ(fdist((int32_t)0x80000000, 0), (int32_t)0x80000000);  // wraps, defined
  EXPECT_EQ(tarq_mangle_int32(0), 1945140682);
  EXPECT_EQ(tarq_mangle_int32(1), -67212397);
  EXPECT_EQ(tarq_mangle_int32(123456), -973016135);
  EXPECT_EQ(tarq_mangle_int32(0x7FFFFFFF), -67212397);  // products wrap
  EXPECT_EQ(tarq_mangle_int32(0x12345678), -871839654);
  EXPECT_EQ(tarq_mangle_int32(-123456), -1499567727);  // the shifts keep the sign
}

TEST(EngineMath, VectorsAndMatrices) {
  tarq_vector zero = {0, 0, 0};
  tarq_normalize(&zero);
  EXPECT_EQ(zero.y, 1.0f);
  EXPECT_EQ(zero.x, 0.0f);
  tarq_vector v = {3, 0, 4};
  tarq_normalize(&v);
  EXPECT_FLOAT_EQ(v.x, 0.6f);
  EXPECT_FLOAT_EQ(v.z, 0.8f);

  tarq_vector x = {1, 0, 0}, y = {0, 1, 0}, z;
  tarq_cross_product(&x, &y, &z);
  EXPECT_FLOAT_EQ(z.z, 1.0f);
  tarq_cross_product(&x, &y, &x);  // output may alias an input
  EXPECT_FLOAT_EQ(x.z, 1.0f);
  EXPECT_FLOAT_EQ(x.x, 0.0f);

  // A rotation by 90 degrees about z, scaled by 2, moved by (1, 2, 3).
  tarq_matrix m;
  tarq_vector scale = {2, 2, 2}, angles = {0, 0, (float)(M_PI / 2)}, pos = {1, 2, 3};
  tarq_get_transformation_matrix(&m, &scale, &angles, &pos);
  tarq_vector p = {1, 0, 0}, q, back;
  tarq_apply_matrix(&m, &p, &q);
  EXPECT_NEAR(q.x, 1.0f, 1e-5);
  EXPECT_NEAR(q.y, 0.0f, 1e-5);
  EXPECT_NEAR(q.z, 3.0f, 1e-5);
  tarq_apply_matrix_inverse(&m, &q, &back);
  EXPECT_NEAR(back.x, 1.0f, 1e-5);
  EXPECT_NEAR(back.y, 0.0f, 1e-5);
  EXPECT_NEAR(back.z, 0.0f, 1e-5);

  // Composition applies A first, then B.
  tarq_matrix a, b, ab, id;
  tarq_get_identity_matrix(&id);
  tarq_vector axis = {0, 0, 5};
  tarq_get_vector_rotation_matrix(&a, &axis, 0.7f);
  EXPECT_FLOAT_EQ(axis.z, 1.0f);  // normalised in place
  a.t[0] = 4;
  b = m;
  tarq_matrix_mul(&a, &b, &ab);
  tarq_vector r = {0.5f, -2, 7}, ra, rab, direct;
  tarq_apply_matrix(&a, &r, &ra);
  tarq_apply_matrix(&b, &ra, &rab);
  tarq_apply_matrix(&ab, &r, &direct);
  EXPECT_NEAR(direct.x, rab.x, 1e-4);
  EXPECT_NEAR(direct.y, rab.y, 1e-4);
  EXPECT_NEAR(direct.z, rab.z, 1e-4);
  tarq_matrix same;
  tarq_matrix_mul(&id, &m, &same);
  for (int i = 0; i < 9; i++) EXPECT_FLOAT_EQ(same.m[i], m.m[i]);
}
