#include "base/arrotonda.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

namespace binario {
namespace {

TEST(Arrotonda, MezziAlPari) {
  struct caso {
    double z;
    int64_t atteso;
  };
  const std::vector<caso> casi = {
      {0.5, 0},
      {1.5, 2},
      {2.5, 2},
      {3.5, 4},
      {-0.5, 0},
      {-1.5, -2},
      {-2.5, -2},
      {1.49, 1},
      {1.51, 2},
      {-1.51, -2},
      {16.6, 17},
      {7.5, 8},
      {8.5, 8},
      {0.49999999999999994, 0},
      {1e15 + 0.5, 1000000000000000},
  };
  for (const caso& k : casi) EXPECT_EQ(arrotonda_intero(k.z), k.atteso) << k.z;
  EXPECT_EQ(arrotonda(2.5), 2.0);
}

// The rounding agrees with the math library's, bit for bit (the sign of a
// zero included), on the values where it is hard: halves, the last fractions
// below 2^52, values that are whole already, the non-finite ones.
TEST(Arrotonda, ComeLaLibreriaMatematica) {
  std::vector<double> valori = {0.0, -0.0, 0.3, -0.3, 0.5, -0.5, 0.49999999999999994, -0.49999999999999994,
                                1.5, 2.5, -2.5, 3.5, 1e15 + 0.5, 4503599627370495.5, -4503599627370495.5,
                                4503599627370496.0, 4503599627370497.0, 9007199254740993.0, 1e300, -1e300,
                                std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::infinity(),
                                -std::numeric_limits<double>::infinity()};
  uint64_t x = 88172645463325252u;
  for (int i = 0; i < 100000; ++i) {
    x ^= x << 13, x ^= x >> 7, x ^= x << 17;
    const double frazione = static_cast<double>(x % 4096) / 8;  // halves and eighths
    const double ampiezza = static_cast<double>(x >> 11) / 1024;
    valori.push_back((x & 1 ? -1 : 1) * (i % 2 ? frazione : ampiezza));
  }
  auto bit = [](double d) {
    uint64_t u;
    std::memcpy(&u, &d, sizeof u);
    return u;
  };
  for (double z : valori) {
    EXPECT_EQ(bit(arrotonda(z)), bit(std::nearbyint(z))) << z;
  }
  EXPECT_TRUE(std::isnan(arrotonda(std::nan(""))));
}

TEST(Arrotonda, FuoriIntervalloEUnGuasto) {
  EXPECT_EQ(arrotonda_int16(32767.4), 32767);
  EXPECT_EQ(arrotonda_int16(-32768.5), -32768);
  EXPECT_THROW(arrotonda_int16(32767.5), guasto_imprevisto);
  EXPECT_THROW(arrotonda_int16(-32768.6), guasto_imprevisto);
  EXPECT_EQ(arrotonda_int32(2147483647.4), 2147483647);
  EXPECT_THROW(arrotonda_int32(2147483647.5), guasto_imprevisto);
  EXPECT_THROW(arrotonda_intero(std::nan("")), guasto_imprevisto);
  EXPECT_THROW(arrotonda_intero(std::numeric_limits<double>::infinity()), guasto_imprevisto);
  EXPECT_THROW(arrotonda_intero(1e19), guasto_imprevisto);
}

}  // namespace
}  // namespace binario
