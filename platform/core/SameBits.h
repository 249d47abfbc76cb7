#pragma once

namespace kh {

// The few maths functions the game's motion depends on, with the same bits on every
// platform: each C library rounds sin and pow its own way in the last bit, and one bit is
// enough to send a round elsewhere. Both are computed in double-double precision and rounded
// once, so they give the correctly rounded result (what glibc gives too).

// sin(x) for |x| < 2^20 (far beyond any angle the game makes); outside, the C library's.
double sine(double x);
// sin of a float, rounded to float.
float sine(float x);
// x to a whole power.
double power(double x, int n);

}  // namespace kh
