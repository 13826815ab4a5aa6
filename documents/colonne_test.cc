#include "documents/colonne.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace binario {
namespace {

TEST(RigaAColonne, CampiRiempitiOLasciatiInteri) {
  struct caso {
    std::array<std::string, 2> campi;
    std::string atteso;
  };
  const std::vector<caso> casi = {
      {{"", ""}, " |   |    |"},
      {{" 1 ", a_destra("300", 4)}, " | 1 | 300|"},
      // Too long: kept whole, so the row's length and bars give it away.
      {{"abcd", "x"}, " |abcd|x   |"},
  };
  for (const caso& c : casi) EXPECT_EQ(riga_a_colonne<2>(c.campi, {3, 4}), c.atteso);
}

}  // namespace
}  // namespace binario
