#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "app/form1.h"
#include "base/memfs.h"

namespace binario {
namespace {

struct terna {
  int32_t a = 0, b = 0, c = 0;
  bool operator==(const terna&) const = default;
  friend std::ostream& operator<<(std::ostream& os, const terna& t) {
    return os << "(" << t.a << ", " << t.b << ", " << t.c << ")";
  }
};

constexpr int32_t kMax32 = std::numeric_limits<int32_t>::max();
const terna kZero{};

class Progressive : public ::testing::Test {
 protected:
  Progressive() : f(fs, "/dir") {}

  // Slots 81, 82, 83 are filled from tre, due, uno.
  std::array<terna, 3> ordina(const terna& tre, const terna& due, const terna& uno) {
    f.voci = tabella_voci{};
    metti(81, tre);
    metti(82, due);
    metti(83, uno);
    f.progressive_ordina();
    return {leggi(81), leggi(82), leggi(83)};
  }
  void metti(size_t i, const terna& t) {
    f.voci[i].inizio_zona = t.a;
    f.voci[i].fine_zona = t.b;
    f.voci[i].posizione = t.c;
  }
  terna leggi(size_t i) const { return {f.voci[i].inizio_zona, f.voci[i].fine_zona, f.voci[i].posizione}; }

  MemFileSystem fs;
  Form1 f;
};

// The same three references in every arrangement end in the same order.
TEST_F(Progressive, OgniDisposizioneDaLoStessoOrdine) {
  const terna grande{1000, 11, 0}, medio{500, 22, 0}, piccolo{0, 33, 0};
  std::array<terna, 3> letti{piccolo, medio, grande};
  std::sort(letti.begin(), letti.end(), [](const terna& x, const terna& y) { return x.a < y.a; });
  do {
    EXPECT_EQ(ordina(letti[0], letti[1], letti[2]), (std::array<terna, 3>{grande, medio, piccolo}))
        << letti[0] << letti[1] << letti[2];
  } while (std::next_permutation(letti.begin(), letti.end(), [](const terna& x, const terna& y) { return x.a < y.a; }));
}

TEST_F(Progressive, Casi) {
  struct caso {
    std::string nome;
    terna tre, due, uno;
    std::array<terna, 3> atteso;
  };
  using T = terna;
  const T z = kZero, t7{7, 1, 0}, d3{3, 2, 0}, u3{3, 3, 0};
  // clang-format off
  const std::vector<caso> casi = {
      {"massimo condiviso", {5, 1, 2}, {5, 3, 4}, {0, 5, 6}, {z, z, z}},
      {"tre uguali", {3, 1, 2}, {3, 3, 4}, {3, 5, 6}, {z, z, z}},
      {"pari sotto: uno prima di due", t7, d3, u3, {t7, u3, d3}},
      {"pari sotto: due prima di tre", {3, 1, 0}, {3, 2, 0}, {7, 3, 0}, {T{7, 3, 0}, T{3, 2, 0}, T{3, 1, 0}}},
      {"pari sotto: uno prima di tre", {1, 1, 0}, {9, 2, 0}, {1, 3, 0}, {T{9, 2, 0}, T{1, 3, 0}, T{1, 1, 0}}},
      {"negativi", {-1, 1, 0}, {-2, 2, 0}, {-3, 3, 0}, {T{-1, 1, 0}, T{-2, 2, 0}, T{-3, 3, 0}}},
      // First values that add up to 0: chosen by second value.
      {"somma zero: vince l'ultima regola", {0, 4, 0}, {0, 5, 0}, {0, 6, 0}, {T{0, 6, 0}, T{0, 5, 0}, T{0, 4, 0}}},
      {"somma zero: solo tre", {0, 4, 0}, {0, 0, 0}, {0, -6, 0}, {T{0, 4, 0}, z, T{0, -6, 0}}},
      {"somma zero: due", {0, 4, 0}, {0, 5, 0}, {0, 0, 0}, {T{0, 5, 0}, T{0, 4, 0}, z}},
      {"somma zero: uno senza tre", {0, 0, 7}, {0, -1, 7}, {0, 6, 7}, {T{0, 6, 7}, T{0, -1, 7}, T{0, 0, 7}}},
      {"somma zero: nessuna regola", {0, 0, 2}, {0, -5, 3}, {0, 0, 4}, {z, z, z}},
      {"5, -5, 0 non si ordina", {5, 0, 0}, {-5, 7, 0}, {0, 0, 0}, {T{-5, 7, 0}, T{5, 0, 0}, z}},
      {"tutto zero", z, z, z, {z, z, z}},
      // Then + 100 on every second value whose third value is 1.
      {"+100 dove il terzo e 1", {0, 5, 1}, {500, 5, 2}, {1000, 5, 1}, {T{1000, 105, 1}, T{500, 5, 2}, T{0, 105, 1}}},
      {"+100 dopo la scelta per secondo valore", z, z, {0, 6, 1}, {T{0, 106, 1}, z, z}},
      {"+100 non su valori azzerati", {5, 5, 1}, {5, 5, 1}, {0, 5, 1}, {z, z, z}},
      {"+100 su un secondo valore negativo", {1, -150, 1}, z, z, {T{1, -50, 1}, z, z}},
  };
  // clang-format on
  for (const caso& k : casi) EXPECT_EQ(ordina(k.tre, k.due, k.uno), k.atteso) << k.nome;
}

// First values whose sum wraps to 0 in 32 bits are still ordered.
TEST_F(Progressive, SommaSenzaTraboccamento) {
  const terna tre{kMax32, 1, 0}, due{kMax32 - 2, 2, 0}, uno{4, 3, 0};  // 2^32 in all
  EXPECT_EQ(ordina(tre, due, uno), (std::array<terna, 3>{tre, due, uno}));
  const terna minimo{std::numeric_limits<int32_t>::min(), 9, 0};
  EXPECT_EQ(ordina(minimo, minimo, minimo), (std::array<terna, 3>{kZero, kZero, kZero}));
}

// A second value that cannot take the + 100 is an overflow: the reader
// reports it; no slot is left with a partial increase.
TEST_F(Progressive, PiuCentoOltreUnLongEUnGuasto) {
  metti(81, {0, 0, 0});
  metti(82, {500, 5, 1});
  metti(83, {1000, kMax32 - 99, 1});
  EXPECT_THROW(f.progressive_ordina(), guasto_imprevisto);
  EXPECT_EQ(leggi(81), (terna{1000, kMax32 - 99, 1}));
  EXPECT_EQ(leggi(82), (terna{500, 5, 1}));

  EXPECT_EQ(ordina({0, 0, 0}, {0, 0, 0}, {1, kMax32 - 100, 1}),
            (std::array<terna, 3>{terna{1, kMax32, 1}, kZero, kZero}));
}

TEST_F(Progressive, NonToccaAltro) {
  f.voci[80].inizio_zona = 9;
  f.voci[84].fine_zona = 29000;
  metti(81, {0, 5, 1});
  f.progressive_ordina();
  EXPECT_EQ(f.voci[80].inizio_zona, 9);
  EXPECT_EQ(f.voci[84].fine_zona, 29000);
  EXPECT_EQ(f.voci[81].nome, "");
}

}  // namespace
}  // namespace binario
