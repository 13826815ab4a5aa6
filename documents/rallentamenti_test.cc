#include <string>
#include <vector>

#include "base/nomi_file.h"
#include "documents/documento_scritto.h"
#include "sources/nomi.h"

namespace binario {
namespace {

constexpr const char* kRigaVuota = " |   |                            |            |          |         |            |";
constexpr const char* kRighello = " |___|____________________________|____________|__________|_________|____________|";

class RallentamentiTest : public DocumentoTest {
 protected:
  RallentamentiTest()
      : righe(righe_del_testo(scrivi(&Form1::dati_rallentamenti, nome_rallentamenti(kNomeLinea, kNumeroTreno)))) {}
  std::vector<std::string> righe;
};

// The display names, as the header of the compiled scenario holds them.
std::string stazione(size_t n) { return std::string(nomi::kStazioni[n - 1].nome); }

// The location field: a blank, the name, blanks to 28 characters.
std::string luogo(const std::string& nome) {
  std::string s = " " + nome;
  s.resize(28, ' ');
  return s;
}

TEST_F(RallentamentiTest, RigheFisseComeScritte) {
  struct caso {
    size_t riga;
    std::string testo;
  };
  std::vector<caso> casi = {
      {0, ""},
      {1, "                                 Modulo M. 3"},
      {2, "                           ORDINE DI RALLENTAMENTO"},
      {3, " ________________________________________________________________________________"},
      {4, "  Linea  " + std::string(nomi::kNomeLineaEsteso)},
      {5, ""},
      {6, "  Si ordina al macchinista del treno n.019 di effettuare i seguenti rallentamenti"},
      {7, "  _______________________________________________________________________________"},
      {8, " |   |                            |Inizio dopo |          |         |            |"},
      {9, " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|"},
      {10, " |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |"},
      {11, kRighello},
      {12, kRigaVuota},
      {38, kRighello},
      {39, ""},
      // The legend in its own order, D before C, with its own spelling.
      {40, "              Prescrizioni specifiche"},
      {41, " A - Da rispettare con tutto il treno (per i treni viaggiatori)"},
      {42, " B - Interessa anche la stazione di......."},
      {43, " D - Rallentamneto N. ... e N. ...  sono contigui"},
      {44, " C - Da rispettare dalle ore ....  alle ore ..... di tutti"},
      {45, "     i giorni esclusi i seguenti:........."},
  };
  for (size_t i = 15; i <= 37; ++i) casi.push_back({i, kRigaVuota});
  ASSERT_EQ(righe.size(), 46u);
  for (const caso& c : casi) EXPECT_EQ(righe[c.riga], c.testo) << "line " << c.riga;
}

TEST_F(RallentamentiTest, RigheDeiRallentamenti) {
  ASSERT_EQ(righe.size(), 46u);
  // Between two stations, with a four-digit length; within one, with three.
  EXPECT_EQ(righe[13], " | 1 |" + luogo(stazione(6) + " - " + stazione(7)) +
                           "|   14250    |    30    |  1550   |    ---     |");
  EXPECT_EQ(righe[14], " | 2 |" + luogo(stazione(10)) + "|   24750    |    40    |   300   |    ---     |");
}

TEST_F(RallentamentiTest, OgniRigaDellaTabellaHaLeBarreNelleStesseColonne) {
  const std::vector<size_t> barre = {1, 5, 34, 47, 58, 68, 81};
  ASSERT_EQ(righe.size(), 46u);
  for (size_t i = 8; i <= 38; ++i) {
    EXPECT_EQ(righe[i].size(), 82u) << "line " << i;
    EXPECT_EQ(colonne_barre(righe[i]), barre) << "line " << i << ": " << righe[i];
  }
}

}  // namespace
}  // namespace binario
