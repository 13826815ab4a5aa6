#include "base/reale.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace binario {
namespace {

// The same answer as the standard library's reading: value bit for bit,
// where it stopped, and the same error, out of range included.
void come_lo_standard(const std::string& t) {
  double atteso = -42, letto = -42;
  const auto a = std::from_chars(t.data(), t.data() + t.size(), atteso);
  const auto b = leggi_reale(t.data(), t.data() + t.size(), letto);
  const std::string breve = t.substr(0, 60);
  ASSERT_EQ(b.ec, a.ec) << breve;
  EXPECT_EQ(b.ptr - t.data(), a.ptr - t.data()) << breve;
  EXPECT_EQ(std::memcmp(&letto, &atteso, sizeof letto), 0) << breve << ": " << letto << " against " << atteso;
}

TEST(LeggiReale, ComeLoStandard) {
  std::vector<std::string> testi = {
      "0", "-0", "-0.0", "7", "-12", "2.5", "0.1", ".5", "5.", "-.5", "00012.000", "1.49999999999999999",
      "0.5000000000000000000001", "9007199254740993", "4503599627370496.5", "1e5", "1E-3", "0e400",
      "1e400", "-1e400", "1e-400", "inf", "-infinity", "nan", "", "-", ".", "abc", "12abc", "+5", "1,5",
      "1" + std::string(308, '0'),                      // still a double
      "1" + std::string(309, '0'),                      // beyond them
      "17976931348623158" + std::string(292, '0'),      // rounds down to the largest
      "17976931348623159" + std::string(292, '0'),      // rounds up to infinity
      "0." + std::string(323, '0') + "5",               // the smallest subnormal
      "0." + std::string(323, '0') + "2",               // rounds to zero
      "0." + std::string(400, '0') + "1",
      "0." + std::string(800, '0'),
      "3." + std::string(700, '3'),
  };
  uint64_t x = 2463534242u;
  auto caso = [&x] {
    x ^= x << 13, x ^= x >> 7, x ^= x << 17;
    return x;
  };
  for (int i = 0; i < 20000; ++i) {
    std::string t = caso() % 4 == 0 ? "-" : "";
    const uint64_t intere = caso() % 50 == 0 ? caso() % 400 : caso() % 25;
    const uint64_t decimali = caso() % 50 == 0 ? caso() % 400 : caso() % 25;
    for (uint64_t j = 0; j < intere; ++j) t += static_cast<char>('0' + caso() % 10);
    if (decimali != 0) {
      t += '.';
      for (uint64_t j = 0; j < decimali; ++j) t += static_cast<char>('0' + caso() % 10);
      if (caso() % 8 == 0) t.back() = '5';
    }
    testi.push_back(t);
  }
  for (const std::string& t : testi) come_lo_standard(t);
}

}  // namespace
}  // namespace binario
