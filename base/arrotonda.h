#pragma once
// R(z): a real number to the nearest whole number, an exact half to the even
// neighbour (R(2.5) = 2, R(3.5) = 4). Every conversion from a real to a whole
// number of the compile goes through here.

#include <cmath>
#include <cstdint>
#include <limits>

#include "base/status.h"

namespace binario {

// From 2^52 on, every double is a whole number.
inline constexpr double kDueAlla52 = 4503599627370496.0;

// Rounded, still as a double, as std::nearbyint rounds in the default
// rounding mode. A smaller magnitude plus 2^52 lands where the spacing of
// doubles is 1, so the sum is rounded to the nearest whole number, a half to
// the even one (2^52 is even), and taking 2^52 away again is exact.
// std::nearbyint itself would load the C math library into `genera` for
// this alone.
inline double arrotonda(double z) {
  const double a = std::fabs(z);
  if (!(a < kDueAlla52)) return z;  // whole already, infinite or NaN
  return std::copysign((a + kDueAlla52) - kDueAlla52, z);
}

// Rounded into a 64-bit whole number; NaN or a value beyond it throws
// guasto_imprevisto.
inline int64_t arrotonda_intero(double z) {
  const double r = arrotonda(z);
  if (!(r >= -9.2e18 && r <= 9.2e18)) throw guasto_imprevisto("valore reale fuori intervallo");
  return static_cast<int64_t>(r);
}

// Rounded into a signed 16-bit field; a value that does not fit throws
// guasto_imprevisto (an overflow, not a truncation).
inline int16_t arrotonda_int16(double z) {
  const int64_t r = arrotonda_intero(z);
  if (r < std::numeric_limits<int16_t>::min() || r > std::numeric_limits<int16_t>::max())
    throw guasto_imprevisto("valore fuori dall'intervallo di un Integer");
  return static_cast<int16_t>(r);
}

// Rounded into a signed 32-bit field, likewise.
inline int32_t arrotonda_int32(double z) {
  const int64_t r = arrotonda_intero(z);
  if (r < std::numeric_limits<int32_t>::min() || r > std::numeric_limits<int32_t>::max())
    throw guasto_imprevisto("valore fuori dall'intervallo di un Long");
  return static_cast<int32_t>(r);
}

}  // namespace binario
