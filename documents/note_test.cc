#include <string>
#include <vector>

#include "base/nomi_file.h"
#include "documents/documento_scritto.h"
#include "sources/nomi.h"

namespace binario {
namespace {

class NoteTest : public DocumentoTest {
 protected:
  NoteTest() : testo(scrivi(&Form1::dati_note, nome_note(kNomeLinea, kNumeroTreno))), righe(righe_del_testo(testo)) {}
  std::string testo;
  std::vector<std::string> righe;
};

// The paragraphs of history and of the simulated line.
const std::vector<size_t> kParagrafi = {6, 7, 8, 9, 10, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26};

std::string stazione(size_t n) { return std::string(nomi::kStazioni[n - 1].comune); }

TEST_F(NoteTest, RigheFisse) {
  struct caso {
    size_t riga;
    std::string testo;
  };
  const std::vector<caso> casi = {
      {0, ""},
      {1, std::string(34, ' ') + "FERROVIA " + std::string(nomi::kNomeLineaMaiuscolo)},
      {2, ""},
      {3, ""},
      {4, " CENNI STORICI:"},
      {5, ""},
      {11, ""},
      {12, " LINEA SIMULATA:"},
      {13, ""},
      {27, ""},
      {28, " BUON DIVERTIMENTO !!"},
  };
  ASSERT_EQ(righe.size(), 29u);
  for (const caso& c : casi) EXPECT_EQ(righe[c.riga], c.testo) << "line " << c.riga;
}

TEST_F(NoteTest, OgniParagrafoSuUnaRiga) {
  ASSERT_EQ(righe.size(), 29u);
  for (size_t i : kParagrafi) {
    EXPECT_GE(righe[i].size(), 40u) << righe[i];
    EXPECT_LE(righe[i].size(), 473u) << righe[i];
  }
  EXPECT_EQ(righe[26].back(), ',');
}

// à, è and ù are single Windows-1252 bytes; nothing else leaves ASCII, and no
// character was lost to the '?' that stands for one cp1252 cannot write.
TEST_F(NoteTest, LettereAccentateInUnByte) {
  size_t contati[256] = {};
  for (char c : testo) ++contati[static_cast<unsigned char>(c)];
  for (int b = 0x80; b < 0x100; ++b)
    if (b != 0xE0 && b != 0xE8 && b != 0xF9) {
      EXPECT_EQ(contati[b], 0u) << "byte " << b;
    }
  EXPECT_GT(contati[0xE0], 0u);
  EXPECT_GT(contati[0xE8], 0u);
  EXPECT_GT(contati[0xF9], 0u);
  EXPECT_EQ(contati[static_cast<unsigned char>('?')], 0u);
}

// The places the paragraphs speak of are the scenario's own.
TEST_F(NoteTest, IParagrafiNominanoLeStazioniDelloScenario) {
  struct caso {
    size_t riga;
    std::string nome;
  };
  const std::vector<caso> casi = {
      {6, stazione(1)},
      {8, stazione(10)},
      {9, stazione(13)},
      {9, "km 28.370"},
      {14, stazione(10)},
      {18, stazione(12)},
      {22, stazione(6) + " e " + stazione(7)},
      {23, stazione(6)},
  };
  ASSERT_EQ(righe.size(), 29u);
  for (const caso& c : casi) EXPECT_NE(righe[c.riga].find(c.nome), std::string::npos) << c.nome << " in " << righe[c.riga];
}

}  // namespace
}  // namespace binario
