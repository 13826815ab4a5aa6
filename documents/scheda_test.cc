#include <cctype>
#include <string>
#include <vector>

#include "base/nomi_file.h"
#include "documents/documento_scritto.h"
#include "sources/nomi.h"

namespace binario {
namespace {

constexpr const char* kRigaVuota = " |     |     |          |     |                            |                |     |";
constexpr const char* kRighello = " |_____|_____|__________|_____|____________________________|________________|_____|";
const std::vector<size_t> kBarre = {1, 7, 13, 24, 30, 59, 76, 82};

constexpr size_t kPrimaRigaOrario = 17;
constexpr size_t kRigheOrario = 17;

class SchedaTest : public DocumentoTest {
 protected:
  SchedaTest() : righe(righe_del_testo(scrivi(&Form1::dati_scheda, nome_scheda(kNomeLinea, kNumeroTreno)))) {}

  // Field `n` (0 to 6) of timetable line `riga`, bars excluded.
  std::string campo(size_t riga, size_t n) const { return righe.at(riga).substr(kBarre[n] + 1, kBarre[n + 1] - kBarre[n] - 1); }

  std::vector<std::string> righe;
};

std::string luogo(std::string_view nome) {
  std::string s = "   " + std::string(nome);
  s.resize(28, ' ');
  return s;
}

std::string stazione(size_t n) { return std::string(nomi::kStazioni[n - 1].comune); }

TEST_F(SchedaTest, RigheFisseComeScritte) {
  struct caso {
    size_t riga;
    std::string testo;
  };
  std::vector<caso> casi = {
      {0, ""},
      {1, ""},
      {2, "  ___________________                                               ______________"},
      {3, " |                   |                    SCHEDA                   |              |"},
      {6, "                                                                   |______________|"},
      {7, "  ___________________                ___________________"},
      {8, " |  CLASSIFICAZIONE  |              |   MASSA  TRENO    |       "},
      {9, " |      METRO        |              |      180 T        |"},
      {10, " |___________________|              |___________________|"},
      {11, ""},
      {12, "  ________________________________________________________________________________"},
      {13, " | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     Orario     | Rec |"},
      {14, " | Lim.|Marc.|          |  Rs |                            |                |     |"},
      {15, kRighello},
      {16, kRigaVuota},
      {47, kRighello},
      {48, ""},
  };
  for (size_t i = 34; i <= 46; ++i) casi.push_back({i, kRigaVuota});
  ASSERT_EQ(righe.size(), 49u);
  for (const caso& c : casi) EXPECT_EQ(righe[c.riga], c.testo) << "line " << c.riga;
}

TEST_F(SchedaTest, TestataConINomiAbbreviati) {
  std::string da = std::string(15, ' ') + "da: " + std::string(nomi::kPartenzaBreve);
  std::string a = std::string(15, ' ') + "a: " + std::string(nomi::kArrivoBreve);
  da.resize(45, ' ');
  a.resize(45, ' ');
  ASSERT_EQ(righe.size(), 49u);
  EXPECT_EQ(righe[4], " |   TRENO n.019     |" + da + "|    V 90 C    |");
  EXPECT_EQ(righe[5], " |___________________|" + a + "|     130 %    |");
}

TEST_F(SchedaTest, OgniRigaDellaTabellaHaLeBarreNelleStesseColonne) {
  ASSERT_EQ(righe.size(), 49u);
  EXPECT_EQ(righe[12].size(), 82u);
  for (size_t i = 13; i <= 47; ++i) {
    EXPECT_EQ(righe[i].size(), 83u) << "line " << i;
    EXPECT_EQ(colonne_barre(righe[i]), kBarre) << "line " << i << ": " << righe[i];
  }
}

TEST_F(SchedaTest, RigheDellOrarioFormattate) {
  struct caso {
    size_t riga;  // 1 to 17
    std::string testo;
  };
  const std::vector<caso> casi = {
      // Departure only, with the bare "0" of the start.
      {1, " | 30  |     |   0      | 30  |" + luogo(stazione(1)) + "|          10.30 |     |"},
      // Passing point with a new speed limit.
      {2, " | 90  |     |   0.550  | 90  |   Segnale d'uscita         |      10.31     |     |"},
      // Stop with different times and a recovery margin.
      {8, " |     |     |  14.050  |     |" + luogo(stazione(6)) + "| 10.47    10.49 | 2.0 |"},
      {10, " |     |     |  18.150  |     |" + luogo("Viadotto di " + std::string(nomi::kViadottoDiComune)) +
               "|      10.56     |     |"},
      {13, " | 80  |     |  24.550  | 80  |" + luogo(stazione(10)) + "| 11.03    11.03 |     |"},
      {14, " |     |     |  25.750  |     |" + luogo(stazione(11)) + "| 11.06    11.06 | 0.2 |"},
  };
  ASSERT_EQ(righe.size(), 49u);
  for (const caso& c : casi) EXPECT_EQ(righe[kPrimaRigaOrario + c.riga - 1], c.testo) << "row " << c.riga;
}

TEST_F(SchedaTest, ProgressivaConIlPuntoInQuintaColonna) {
  ASSERT_EQ(righe.size(), 49u);
  for (size_t i = kPrimaRigaOrario + 1; i < kPrimaRigaOrario + kRigheOrario; ++i) {
    const std::string km = campo(i, 2);
    ASSERT_EQ(km.size(), 10u);
    EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(km[3]))) << km;
    EXPECT_EQ(km[4], '.') << km;
    EXPECT_EQ(km.substr(5).find_first_not_of("0123456789"), 3u) << km;
    EXPECT_EQ(km.substr(8), "  ") << km;
    EXPECT_EQ(campo(i, 3), campo(i, 0)) << "No Rs differs from Vel. Lim. in line " << i;
    EXPECT_EQ(campo(i, 1), "     ");
  }
}

// The sheet must show the stations of the service description, in its order,
// at its positions and with its departure times.
TEST_F(SchedaTest, StazioniComeNellaDescrizioneDelServizio) {
  struct caso {
    size_t riga;  // 1 to 17
    const char* km;
    const char* partenza;
  };
  const caso casi[13] = {{1, "0", "10.30"},       {3, "2.300", "10.33"},   {4, "4.600", "10.36"},
                         {5, "7.750", "10.40"},   {7, "11.750", "10.44"},  {8, "14.050", "10.49"},
                         {9, "15.650", "10.54"},  {11, "21.350", "10.59"}, {12, "23.400", "11.01"},
                         {13, "24.550", "11.03"}, {14, "25.750", "11.06"}, {16, "27.100", "11.08"},
                         {17, "28.350", "11.11"}};
  ASSERT_EQ(righe.size(), 49u);
  auto senza_spazi = [](const std::string& s) {
    const size_t a = s.find_first_not_of(' ');
    return a == std::string::npos ? std::string() : s.substr(a, s.find_last_not_of(' ') - a + 1);
  };
  for (size_t n = 0; n < 13; ++n) {
    const size_t i = kPrimaRigaOrario + casi[n].riga - 1;
    SCOPED_TRACE(righe[i]);
    EXPECT_EQ(campo(i, 4), luogo(nomi::kStazioni[n].comune));
    EXPECT_EQ(senza_spazi(campo(i, 2)), casi[n].km);
    const std::string orario = senza_spazi(campo(i, 5));
    EXPECT_EQ(orario.substr(orario.size() - 5), casi[n].partenza);
  }
}

}  // namespace
}  // namespace binario
