// The motion's maths must give the same bits on every platform: values whose correct
// rounding the C libraries disagree on, worked out exactly by hand.
#include <gtest/gtest.h>

#include <cmath>

#include "SameBits.h"

namespace kh {
namespace {

TEST(SameBits, SineRoundsCorrectlyWhereLibrariesDiffer) {
  EXPECT_EQ(sine(0x1.616d630c7073dp+1), 0x1.7c3e26b4ce147p-2);
  EXPECT_EQ(sine(0x1.871202ea836p+0), 0x1.ff85d6cc9af67p-1);   // past pi/2: the cosine branch
  EXPECT_EQ(sine(-0x1.a95332654f20bp+1), 0x1.71304cd81591bp-3);  // third quadrant
  EXPECT_EQ(sine(0.0), 0.0);
  EXPECT_EQ(sine(90 / 180.0 * 3.14), std::sin(90 / 180.0 * 3.14));
}

TEST(SameBits, SineAgreesWithTheLibraryEverywhere) {
  // Not to the bit: Windows' C library is some bits off near multiples of pi.
  for (double x = -200; x < 200; x += 0.0137) EXPECT_NEAR(sine(x), std::sin(x), 1e-15) << x;
}

TEST(SameBits, PowerIsTheExactPowerRounded) {
  EXPECT_EQ(power(-0x1.22c9ecp-2, 9), -0x1.92f2a2cf6c804p-17);
  EXPECT_EQ(power(2.0, 9), 512.0);
  EXPECT_EQ(power(-1.5, 3), -3.375);
  EXPECT_EQ(power(0.0, 9), 0.0);
  EXPECT_EQ(power(3.0, 0), 1.0);
}

}  // namespace
}  // namespace kh
