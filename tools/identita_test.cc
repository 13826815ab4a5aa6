#include "tools/identita.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace binario {
namespace {

TEST(BinarioIdentita, RifiutaNomiCheEsconoDallaCartella) {
  struct Caso {
    std::string valore;
    std::optional<std::string> motivo;
  };
  const std::vector<Caso> casi = {
      {"Valmera-Lusa", std::nullopt},
      {"019", std::nullopt},
      {"linea.nuova", std::nullopt},  // a single dot names nothing outside
      {"", "è vuoto"},
      {"..", "contiene \"..\""},
      {"a..b", "contiene \"..\""},
      {"../linea", "contiene \"..\""},
      {"sub/linea", "contiene un separatore di percorso"},
      {"/linea", "contiene un separatore di percorso"},
      {"sub\\linea", "contiene un separatore di percorso"},
      {"linea\n", "contiene un carattere di controllo"},
      {std::string("li\0nea", 6), "contiene un carattere di controllo"},
      {"li\x7Fnea", "contiene un carattere di controllo"},
  };
  for (const Caso& c : casi) EXPECT_EQ(motivo_nome_rifiutato(c.valore), c.motivo) << '"' << c.valore << '"';
}

}  // namespace
}  // namespace binario
