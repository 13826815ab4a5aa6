#include "base/arrotonda.h"

#include <gtest/gtest.h>

#include <cmath>
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
