// ln(k) for the small integers the search's depth reduction needs, computed
// by the compiler in double-double arithmetic and rounded once, so the values
// are the same bits with every C library (whose log may differ in its last
// bit between platforms).
#pragma once

#include <array>
#include <cmath>
#include <limits>

namespace quenvik {

// Most moves a position can have: a 20 x 20 board.
constexpr int kNaturalLogMax = 400;

namespace naturallog {

// A value hi + lo with |lo| <= ulp(hi) / 2: about 106 significant bits.
struct Wide {
  double hi;
  double lo;
};

constexpr Wide quickTwoSum(double a, double b) {
  const double s = a + b;
  return {s, b - (s - a)};
}

constexpr Wide twoSum(double a, double b) {
  const double s = a + b;
  const double bb = s - a;
  return {s, (a - (s - bb)) + (b - bb)};
}

// Dekker's split and product: exact without a fused multiply-add.
constexpr Wide split(double a) {
  const double c = 134217729.0 * a;  // 2^27 + 1
  const double high = c - (c - a);
  return {high, a - high};
}

constexpr Wide twoProduct(double a, double b) {
  const double p = a * b;
  const Wide x = split(a);
  const Wide y = split(b);
  return {p, ((x.hi * y.hi - p) + x.hi * y.lo + x.lo * y.hi) + x.lo * y.lo};
}

constexpr Wide add(Wide a, Wide b) {
  Wide s = twoSum(a.hi, b.hi);
  const Wide t = twoSum(a.lo, b.lo);
  s = quickTwoSum(s.hi, s.lo + t.hi);
  return quickTwoSum(s.hi, s.lo + t.lo);
}

constexpr Wide negate(Wide a) { return {-a.hi, -a.lo}; }

constexpr Wide multiply(Wide a, Wide b) {
  const Wide p = twoProduct(a.hi, b.hi);
  return quickTwoSum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}

constexpr Wide divide(Wide a, Wide b) {
  const double q1 = a.hi / b.hi;
  Wide r = add(a, negate(multiply(b, {q1, 0.0})));
  const double q2 = r.hi / b.hi;
  r = add(r, negate(multiply(b, {q2, 0.0})));
  const double q3 = r.hi / b.hi;
  return add(quickTwoSum(q1, q2), {q3, 0.0});
}

// ln 2 to double-double precision.
constexpr Wide kLn2{0x1.62e42fefa39efp-1, 0x1.abc9e3b39803fp-56};

// ln(k) for k >= 1: k = 2^e * m with m in [sqrt(1/2), sqrt(2)), then
// ln m = 2 atanh z with z = (m - 1) / (m + 1), |z| < 0.172, whose series
// z + z^3/3 + z^5/5 + ... gains more than five bits a term.
constexpr double logOf(int k) {
  double m = k;
  int e = 0;
  while (m >= 1.4142135623730951) {
    m /= 2;  // exact
    ++e;
  }
  const Wide z = divide({m - 1.0, 0.0}, {m + 1.0, 0.0});
  const Wide z2 = multiply(z, z);
  Wide power = z;
  Wide sum = z;
  for (int n = 3; n <= 61; n += 2) {
    power = multiply(power, z2);
    sum = add(sum, divide(power, {static_cast<double>(n), 0.0}));
  }
  const Wide lnM = add(sum, sum);
  const Wide result = add(multiply(kLn2, {static_cast<double>(e), 0.0}), lnM);
  return result.hi + result.lo;
}

constexpr std::array<double, kNaturalLogMax + 1> makeTable() {
  std::array<double, kNaturalLogMax + 1> table{};
  table[0] = -std::numeric_limits<double>::infinity();
  for (int k = 1; k <= kNaturalLogMax; ++k) table[k] = logOf(k);
  return table;
}

}  // namespace naturallog

inline constexpr std::array<double, kNaturalLogMax + 1> kNaturalLogTable = naturallog::makeTable();

// ln(k); from the table for 1 <= k <= kNaturalLogMax (all the search asks for),
// from the C library beyond it.
inline double naturalLog(int k) {
  if (k >= 1 && k <= kNaturalLogMax) return kNaturalLogTable[static_cast<std::size_t>(k)];
  return std::log(static_cast<double>(k));
}

}  // namespace quenvik
