#include "SameBits.h"

#include <cmath>

namespace kh {

namespace {

// A value as an unevaluated sum hi + lo, |lo| at most half an ulp of hi. Only IEEE
// additions and multiplications, no fused multiply-add, so every compiler gets the same.
struct DD {
  double hi = 0, lo = 0;
};

DD quickTwoSum(double a, double b) {
  const double s = a + b;
  return {s, b - (s - a)};
}

DD twoSum(double a, double b) {
  const double s = a + b, bb = s - a;
  return {s, (a - (s - bb)) + (b - bb)};
}

// Veltkamp's split: a = hi + lo with 26 bits each, so their products are exact.
DD split(double a) {
  const double c = 134217729.0 * a;  // 2^27 + 1
  const double hi = c - (c - a);
  return {hi, a - hi};
}

DD twoProd(double a, double b) {
  const double p = a * b;
  const DD x = split(a), y = split(b);
  return {p, ((x.hi * y.hi - p) + x.hi * y.lo + x.lo * y.hi) + x.lo * y.lo};
}

DD add(DD a, DD b) {
  DD s = twoSum(a.hi, b.hi);
  const DD t = twoSum(a.lo, b.lo);
  s.lo += t.hi;
  s = quickTwoSum(s.hi, s.lo);
  s.lo += t.lo;
  return quickTwoSum(s.hi, s.lo);
}

DD neg(DD a) { return {-a.hi, -a.lo}; }

DD mul(DD a, DD b) {
  DD p = twoProd(a.hi, b.hi);
  p.lo += a.hi * b.lo + a.lo * b.hi;
  return quickTwoSum(p.hi, p.lo);
}

DD div(DD a, double b) {
  const double q1 = a.hi / b;
  const DD p = twoProd(q1, b);
  const DD s = twoSum(a.hi, -p.hi);
  const double e = s.lo - p.lo + a.lo;
  return quickTwoSum(q1, (s.hi + e) / b);
}

// pi/2 to about 160 bits.
constexpr double kHalfPi[3] = {0x1.921fb54442d18p+0, 0x1.1a62633145c07p-54, -0x1.f1976b7ed8fbcp-110};
constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;

// The Taylor series of sin (first = r, from 1) or cos (first = 1, from 0) for |r| <= pi/4:
// the terms fall below 2^-106 of the sum well before the 30th power.
DD series(DD r, DD first, int from) {
  const DD r2 = mul(r, r);
  DD term = first, sum = first;
  for (int n = from + 2; n <= 31; n += 2) {
    term = neg(div(mul(term, r2), double(n - 1) * double(n)));
    sum = add(sum, term);
  }
  return sum;
}

}  // namespace

double sine(double x) {
  if (!(std::fabs(x) < 0x1p20)) return std::sin(x);
  const double k = std::floor(x * kTwoOverPi + 0.5);
  // r = x - k pi/2, exact products of k (at most 21 bits) with each part of pi/2.
  DD r{x, 0};
  for (double part : kHalfPi) r = add(r, neg(twoProd(k, part)));
  const int quadrant = int(std::fmod(k, 4.0) + 4) % 4;
  const DD v = quadrant % 2 == 0 ? series(r, r, 1) : series(r, DD{1, 0}, 0);
  const double rounded = v.hi;  // hi is hi + lo rounded to nearest
  return quadrant >= 2 ? -rounded : rounded;
}

float sine(float x) { return float(sine(double(x))); }

double power(double x, int n) {
  if (n < 0) return 1 / power(x, -n);
  DD result{1, 0}, base{x, 0};
  for (; n > 0; n >>= 1) {
    if (n & 1) result = mul(result, base);
    if (n > 1) base = mul(base, base);
  }
  return result.hi;
}

}  // namespace kh
