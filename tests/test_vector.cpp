#include <gtest/gtest.h>

#include <cmath>
#include <type_traits>

#include "gfx/vectord.h"

// Filled member by member and copied whole, like any plain C struct.
static_assert(std::is_trivial_v<VECTORD>);
static_assert(std::is_standard_layout_v<VECTORD>);
static_assert(sizeof(VECTORD) == 3 * sizeof(double));

namespace {

const VECTORD dir[4] = {{0, 0, -5}, {5, 0, 0}, {0, 0, 5}, {-5, 0, 0}};

void expect_exact(const VECTORD& v, double x, double y, double z) {
  EXPECT_EQ(v.x, x);
  EXPECT_EQ(v.y, y);
  EXPECT_EQ(v.z, z);
}

}  // namespace

TEST(Vector, MultiplesOfFiveDivideToExactCellIndices) {
  // Every value 5k for k up to 100000 appears in x and in z (as 5(100000 - k)).
  int wrong = 0;
  for (int k = 0; k <= 100000; ++k) {
    const int m = 100000 - k;
    const VECTORD p{5.0 * k, 0.0, 5.0 * m};
    const VECTORD cell = p / 5.0;
    if (cell.x != k || cell.z != m || cell.y != 0.0) ++wrong;
    if (static_cast<int>(cell.x) != k || static_cast<int>(cell.z) != m) ++wrong;
    VECTORD q = p;
    q /= 5.0;
    if (q.x != k || q.z != m) ++wrong;
  }
  EXPECT_EQ(wrong, 0);
}

TEST(Vector, ScalarDivisionMultipliesByTheReciprocal) {
  // One reciprocal, then three products: find a value where that differs from a true
  // division in the last bit and check which one the operator gives.
  double x = 1.0;
  while (x * (1.0 / 3.0) == x / 3.0) x += 1.0;
  ASSERT_LT(x, 1000.0);
  const VECTORD v = VECTORD{x, x, x} / 3.0;
  expect_exact(v, x * (1.0 / 3.0), x * (1.0 / 3.0), x * (1.0 / 3.0));
  EXPECT_NE(v.x, x / 3.0);
}

TEST(Vector, DivisionByZeroGivesIeeeResults) {
  const VECTORD inf = VECTORD{1, 2, 3} / 0.0;
  EXPECT_TRUE(std::isinf(inf.x) && inf.x > 0);
  EXPECT_TRUE(std::isinf(inf.y) && inf.y > 0);
  EXPECT_TRUE(std::isinf(inf.z) && inf.z > 0);

  const VECTORD nan = VECTORD{0, 0, 0} / 0.0;
  EXPECT_TRUE(std::isnan(nan.x) && std::isnan(nan.y) && std::isnan(nan.z));

  const VECTORD neg = VECTORD{-1, 0, 1} / 0.0;
  EXPECT_TRUE(std::isinf(neg.x) && neg.x < 0);
  EXPECT_TRUE(std::isnan(neg.y));
  EXPECT_TRUE(std::isinf(neg.z) && neg.z > 0);

  // By a vector: only the component with the zero divisor is affected.
  const VECTORD mixed = VECTORD{6, 6, 6} / VECTORD{2, 0, 3};
  EXPECT_EQ(mixed.x, 3.0);
  EXPECT_TRUE(std::isinf(mixed.y));
  EXPECT_EQ(mixed.z, 2.0);
}

TEST(Vector, OperatorsAreComponentWise) {
  const VECTORD a{1, 2, 3};
  const VECTORD b{4, 5, 6};
  expect_exact(a * b, 4, 10, 18);  // not the dot product 32, not the cross product
  expect_exact(a + b, 5, 7, 9);
  expect_exact(a - b, -3, -3, -3);
  expect_exact(b / a, 4, 2.5, 2);
  expect_exact(a, 1, 2, 3);  // free operators leave their operands alone

  VECTORD c = a;
  (c *= b) += a;  // compound operators return the left operand itself
  expect_exact(c, 5, 12, 21);
  c -= b;
  expect_exact(c, 1, 7, 15);
  c /= VECTORD{1, 7, 5};
  expect_exact(c, 1, 1, 3);

  VECTORD s = b;
  (s = 7.0) -= VECTORD{0, 1, 2};
  expect_exact(s, 7, 6, 5);
  s = 7.0;
  expect_exact(s, 7, 7, 7);
}

TEST(Vector, SubStepsOfACompassStepAddUpExactly) {
  expect_exact(dir[1] / 8.0, 0.625, 0, 0);
  for (int heading = 0; heading < 4; ++heading) {
    for (int divisor : {4, 8}) {
      SCOPED_TRACE(testing::Message() << "heading " << heading << " / " << divisor);
      for (int cell = 0; cell < 200; cell += 7) {
        const VECTORD start{5.0 * cell, 1.0, 5.0 * (cell + 3)};
        VECTORD pos = start;
        const VECTORD step = dir[heading] / static_cast<double>(divisor);
        for (int i = 0; i < divisor; ++i) pos += step;
        expect_exact(pos, start.x + dir[heading].x, 1.0, start.z + dir[heading].z);
      }
    }
  }
}
