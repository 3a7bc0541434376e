#include <gtest/gtest.h>

#include <cmath>

#include "gfx/vectord.h"

TEST(Vector, DivisionByAScalarMultipliesByTheReciprocal) {
  // Positions are multiples of 5: divided by 5 they must give exact cell indices.
  int wrong = 0;
  for (int k = 0; k <= 100000; ++k) {
    VECTORD q{5.0 * k, 0.0, 5.0 * (100000 - k)};
    const VECTORD cell = q / 5.0;
    q /= 5.0;
    if (cell.x != k || cell.z != 100000 - k || cell.y != 0 || q.x != k || q.z != 100000 - k)
      ++wrong;
  }
  EXPECT_EQ(wrong, 0);

  // Find a value where one reciprocal and a product differs from a true division.
  double x = 1.0;
  while (x * (1.0 / 3.0) == x / 3.0) x += 1.0;
  ASSERT_LT(x, 1000.0);
  const VECTORD v = VECTORD{x, x, x} / 3.0;
  EXPECT_EQ(v.x, x * (1.0 / 3.0));
  EXPECT_NE(v.z, x / 3.0);
}

TEST(Vector, DivisionByZeroGivesInfinityAndNaN) {
  const VECTORD s = VECTORD{-1, 0, 1} / 0.0;
  EXPECT_TRUE(std::isinf(s.x) && s.x < 0);
  EXPECT_TRUE(std::isnan(s.y));
  EXPECT_TRUE(std::isinf(s.z) && s.z > 0);
  const VECTORD v = VECTORD{6, 6, 0} / VECTORD{2, 0, 0};
  EXPECT_TRUE(v.x == 3.0 && std::isinf(v.y) && std::isnan(v.z));
}
