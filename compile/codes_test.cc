#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/form1.h"
#include "base/memfs.h"

namespace binario {
namespace {

class CodiciGara : public ::testing::Test {
 protected:
  CodiciGara() : f(fs, "/dir") { chiave("019", "Valmera-Lusa"); }

  void chiave(const std::string& treno, const std::string& linea) {
    f.voci[86].nome = treno;
    f.voci[85].nome = linea;
  }
  void crea_griglia(size_t celle) { f.griglia_celle.assign(celle, cella{}); }

  MemFileSystem fs;
  Form1 f;
};

TEST_F(CodiciGara, EsempioSvolto) {
  chiave("7", "AB");
  EXPECT_EQ(f.codice_gara_og(), 2502);
  EXPECT_EQ(f.riga_corrente,
            "7ab"
            "aabbccddeeffgghhiillmmnnoo");
  f.riga_corrente.clear();
  EXPECT_EQ(f.codice_gara_st(), 33709);
  EXPECT_EQ(f.riga_corrente,
            "7ab"
            "aabbccddeeffgghhiillmmnnoo");
}

// Spellings that differ only in case give the same key; digits, the hyphen
// and signs that are not letters are left alone.
TEST_F(CodiciGara, MaiuscoleEMinuscoleDannoGliStessiCodici) {
  struct caso {
    std::string treno_a, linea_a, treno_b, linea_b;
    bool uguali;
  };
  const std::vector<caso> casi = {
      {"019", "Valmera-Lusa", "019", "valmera-lusa", true},
      {"019", "VALMERA-LUSA", "019", "valmera-lusa", true},
      {"IC7", "x", "ic7", "X", true},
      {"", "\xC0\xC9\xDE", "", "\xE0\xE9\xFE", true},          // accented capitals
      {"", "\x8A\x8C\x8E\x9F", "", "\x9A\x9C\x9E\xFF", true},  // the capitals among 0x80-0x9F
      {"", "\xD7", "", "\xF7", false},                         // multiplication sign is no letter
      {"", "-", "", "\r", false},
  };
  for (const caso& k : casi) {
    chiave(k.treno_a, k.linea_a);
    const int16_t og = f.codice_gara_og();
    const int32_t st = f.codice_gara_st();
    const std::string riga = f.riga_corrente;
    chiave(k.treno_b, k.linea_b);
    EXPECT_EQ(og == f.codice_gara_og() && st == f.codice_gara_st(), k.uguali) << k.linea_a;
    EXPECT_EQ(riga == f.riga_corrente, k.uguali) << k.linea_a;
  }
}

TEST_F(CodiciGara, SoloVenticinqueCaratteriContano) {
  struct caso {
    std::string treno, linea;
    int32_t og, st;
  };
  const std::vector<caso> casi = {
      {"", std::string(25, 'a'), 25 * 97, 97 * 325},
      {std::string(20, 'a'),
       "aaaaa"
       "zzzz",
       25 * 97, 97 * 325},                         // the tail is cut
      {"", std::string(25, '\xFF'), 6375, 82875},  // bytes count as 0..255
      {"", std::string(30, '\x80'), 25 * 128, 128 * 325},
  };
  for (const caso& k : casi) {
    chiave(k.treno, k.linea);
    EXPECT_EQ(f.codice_gara_og(), k.og) << k.linea;
    EXPECT_EQ(f.codice_gara_st(), k.st) << k.linea;
  }
  // An empty key: the padding alone, without its last letter.
  chiave("", "");
  const std::string riempimento = "aabbccddeeffgghhiillmmnnoo";
  int32_t og = 0, st = 0;
  for (size_t i = 0; i < 25; ++i) {
    og += riempimento[i];
    st += riempimento[i] * static_cast<int32_t>(i + 1);
  }
  EXPECT_EQ(f.codice_gara_og(), og);
  EXPECT_EQ(f.codice_gara_st(), st);
  EXPECT_EQ(f.riga_corrente, riempimento);
}

TEST_F(CodiciGara, ControlliFinaliTimbrano) {
  crea_griglia(721);
  chiave("7", "AB");
  EXPECT_EQ(f.controlli_finali(), 0);
  EXPECT_EQ(f.voci[85].colonna_7, 610);
  EXPECT_EQ(f.voci[85].orario, 33709);
  EXPECT_EQ(f.griglia_celle[1].valore_a, 5121);
  EXPECT_EQ(f.griglia_celle[1].valore_b, 2502);
  EXPECT_EQ(f.riga_corrente,
            "7ab"
            "aabbccddeeffgghhiillmmnnoo");
  cella solo_timbri;
  solo_timbri.valore_a = 5121;
  solo_timbri.valore_b = 2502;
  EXPECT_EQ(f.griglia_celle[1], solo_timbri);
  EXPECT_EQ(f.griglia_celle[0], cella{});
  EXPECT_EQ(f.griglia_celle[2], cella{});
}

// A place already in use fails its check; what the earlier steps stamped
// stays, what the later ones would have stamped does not.
TEST_F(CodiciGara, ControlliFinaliFalliti) {
  struct caso {
    std::string nome;
    std::function<void(Form1&)> occupa;
    int32_t atteso;
    bool marchi_scritti;
  };
  const std::vector<caso> casi = {
      {"colonna_7", [](Form1& g) { g.voci[85].colonna_7 = 1; }, 1250, false},
      {"valore_a", [](Form1& g) { g.griglia_celle[1].valore_a = -3; }, 1250, false},
      {"segnale al metro 0", [](Form1& g) { g.memo_segnale(0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0); }, 1250, false},
      {"orario", [](Form1& g) { g.voci[85].orario = 5; }, 1251, true},
      {"valore_b", [](Form1& g) { g.griglia_celle[1].valore_b = 7; }, 1251, true},
  };
  for (const caso& k : casi) {
    crea_griglia(721);
    f.voci = tabella_voci{};
    chiave("7", "AB");
    k.occupa(f);
    EXPECT_EQ(f.controlli_finali(), k.atteso) << k.nome;
    EXPECT_EQ(f.voci[85].colonna_7 == 610, k.marchi_scritti) << k.nome;
    EXPECT_EQ(f.griglia_celle[1].valore_a == 5121, k.marchi_scritti) << k.nome;
    EXPECT_NE(f.voci[85].orario, 33709) << k.nome;
    EXPECT_NE(f.griglia_celle[1].valore_b, 2502) << k.nome;
  }
}

// A compile error does not change the checks.
TEST_F(CodiciGara, ControlliFinaliIgnoranoCodiceErrore) {
  crea_griglia(721);
  f.codice_errore = 19;
  EXPECT_EQ(f.controlli_finali(), 0);
  EXPECT_EQ(f.griglia_celle[1].valore_a, 5121);
}

// A grid of a single cell has no cell 1: only the header slot is checked and
// stamped.
TEST_F(CodiciGara, GrigliaDiUnaSolaCella) {
  crea_griglia(1);
  chiave("7", "AB");
  EXPECT_EQ(f.controlli_finali(), 0);
  EXPECT_EQ(f.voci[85].colonna_7, 610);
  EXPECT_EQ(f.voci[85].orario, 33709);
  ASSERT_EQ(f.griglia_celle.size(), 1u);
  EXPECT_EQ(f.griglia_celle[0], cella{});

  f.voci[85].colonna_7 = 0;
  f.voci[85].orario = 4;
  EXPECT_EQ(f.controlli_finali(), 1251);
}

}  // namespace
}  // namespace binario
