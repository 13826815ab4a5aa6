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
      {"Città", std::nullopt},
      {"Łódź", "contiene «Ł» (U+0141), che Windows-1252 non rappresenta"},
      {"€uro", std::nullopt},  // 0x80 in Windows-1252
      {"a\u0300", "contiene «\u0300» (U+0300), che Windows-1252 non rappresenta"},  // a combining accent
      {"a\u0085", "contiene «\u0085» (U+0085), che Windows-1252 non rappresenta"},  // a C1 control
      {"Citt\xE0", "non è testo UTF-8 valido"},  // Latin-1, not UTF-8
      {"\xC0\xAF", "non è testo UTF-8 valido"},   // an overlong "/"
  };
  for (const Caso& c : casi) EXPECT_EQ(motivo_nome_rifiutato(c.valore), c.motivo) << '"' << c.valore << '"';
}

TEST(BinarioIdentita, ConvertitaInWindows1252) {
  EXPECT_EQ(identita_cp1252("Città"), "Citt\xE0");
  EXPECT_EQ(identita_cp1252("€uro"), "\x80uro");
  EXPECT_EQ(identita_cp1252("Valmera-Lusa"), "Valmera-Lusa");
}

}  // namespace
}  // namespace binario
