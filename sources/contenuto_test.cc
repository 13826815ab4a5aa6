#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "app/form1.h"
#include "base/memfs.h"
#include "sources/nomi.h"
#include "sources/scenario.h"

namespace binario {
namespace {

// The lines of a table before its end marker; fails when there is none.
std::vector<std::string> righe_prima_della_fine(const tabella_righe& t) {
  std::vector<std::string> r;
  for (const std::string& riga : t) {
    if (riga == kFineRighe) return r;
    r.push_back(riga);
  }
  ADD_FAILURE() << "no end marker";
  return r;
}

struct riga_attesa {
  size_t indice;
  std::string testo;
};

TEST(ContenutoLinea, RigheEsatte) {
  const std::vector<std::string> righe = righe_prima_della_fine(Form1::righe_linea());
  ASSERT_EQ(righe.size(), 115u);
  const std::vector<riga_attesa> attese = {
      {0, "[generale]"},
      {1, "lunghezza percorso,    29000"},
      {2, "progressiva chilometrica uno,    0,    0,    0"},
      {4, "progressiva chilometrica tre,    0,    0,    0"},
      {5, "sfondo uno,    1"},
      {7, "sfondo tre,    0"},
      {8, "ripetizione segnali 4 codici,    0    ,0"},
      {9, "[curve]"},
      {10, "curvad5,  500,  250"},
      {21, "curvas2,  8450,  300"},
      {44, "curvas3,  27400,  200"},
      {45, "[pendenze]"},
      {46, "pendenza,  0,   0"},
      {47, "pendenza,  250,   -8"},
      {98, "pendenza,  24150,   0"},
      {99, "[montagne]"},
      {100, "montagna,   350,  500,  12"},
      {101, "montagna,   1600,  1850,  12"},
      {102, "montagna,   3000,  3050,  12"},
      {103, "[cartelli]"},
      {104, "indicatori_vmax,  600,  90,  90,  90,  0,  ,  ,  ,  0"},
      {105, "indicatori_vmax,  24150,  80,  80,  80,  0,  ,  ,  ,  0"},
      {106, "[indicazioni]"},
      {107, "cartello_indicatore,  8800,   (     EX STAZIONE)(       SOLANTE  )(        8.800   )"},
      {108, "cartello_indicatore,  18150,   (     VIADOTTO DI)(       ZEMBRIA  )(       18.150   )"},
      {109, "cartello_indicatore,  24050,   (    VIADOTTO    )( CAMPI SERVALENA)(      24.050    )"},
      {110, "cartello_indicatore,  24700,   (     PRIMO   )(   CAVALCAVIA)(     24.700  )"},
      {111, "cartello_indicatore,  25100,   (     SECONDO )(   CAVALCAVIA)(     25.100  )"},
      {113, "cartello_indicatore,  26174,   (PONTE           )(CANALE DORBISINA)(26.174          )"},
      {114, "[fine]"},
  };
  for (const riga_attesa& a : attese) EXPECT_EQ(righe[a.indice], a.testo) << "line " << a.indice + 1;
}

TEST(ContenutoTreno, RigheEsatte) {
  const std::vector<std::string> righe = righe_prima_della_fine(Form1::righe_treno());
  ASSERT_EQ(righe.size(), 50u);
  const std::vector<riga_attesa> attese = {
      {0, "[generale]"},
      {1, "numero vetture,    3"},
      {2, "percentuale massa frenata,    130"},
      {3, "sabbia,    100"},
      {4, "orologio,    10              29            40 "},
      {5, "[aderenze]"},
      {6, "aderenza,   0,    100"},
      {7, "[vel_limite]"},
      {8, "velocita,       0,    90"},
      {9, "velocita,   24550,    80"},
      {10, "[stazioni]"},
      {11, "stazione,       0,  8,  300,  1, 0, 0,  4,1,0,  2,1,1,    1,  10,30, 0, VALMERA PORTA ALTA"},
      {12, "stazione,    2300, 12,  300,  0, 0, 0,  1,1,0,  4,1,1,   10,  10,33, 0, BORGO SAN CALIMO"},
      {18, "stazione,   21350, 24,  300,  0, 0, 0,  0,0,0,  4,1,1,   10,  10,59, 0, VILLA ORSENA"},
      {19, "stazione,   23400, 24,  300,  0, 0, 0,  0,0,0,  4,1,1,   10,  11, 1, 0, ROVERSANTE"},
      {20, "stazione,   24550, 12,  300,  0, 0, 0,  1,1,0,  4,1,1,   15,  11, 3, 0, LUSA MARINA"},
      {21, "stazione,   25750, 24,  300,  0, 0, 1,  0,0,0,  4,1,1,   10,  11, 6, 0, LUSA S. ELMIO"},
      {23, "stazione,   28350, 12,  300,  1, 0, 0,  1,1,0,  2,1,1,    0,  11,11, 0, LUSA STAZIONE MARE"},
      {24, "[rallentamenti]"},
      {25, "rallentamento,   14250,    30, 1550, 0,  0,  0"},
      {26, "rallentamento,   24750,    40,  300, 0,  0,  0"},
      {27, "[segnali]"},
      {28, "segnale,     550,   2, 4, 0,  0, 0,    0,  0,0,0, 0"},
      {38, "segnale,   15100,   2, 4, 0,  0, 0,    0,  0,0,0, 255"},
      {47, "segnale,   27800,   2, 2, 3,  0, 0,    0,  0,0,0, 0"},
      {48, "[codici]"},
      {49, "[fine]"},
  };
  for (const riga_attesa& a : attese) EXPECT_EQ(righe[a.indice], a.testo) << "line " << a.indice + 1;
}

TEST(Contenuto, SoloAsciiStampabile) {
  for (const tabella_righe& t : {Form1::righe_linea(), Form1::righe_treno()})
    for (const std::string& riga : righe_prima_della_fine(t))
      for (char c : riga) EXPECT_TRUE(c >= ' ' && c <= '~') << riga;
}

// The invented names must fit the places the content puts them in: the
// header shows a station's name as it stands and a board's rows have a fixed
// width.
bool forma_di_nome(std::string_view nome) {
  for (char c : nome)
    if (!((c >= 'A' && c <= 'Z') || c == ' ' || c == '.')) return false;
  return !nome.empty() && nome.front() != ' ' && nome.back() != ' ';
}

TEST(Contenuto, NomiDellaFormaGiusta) {
  const size_t lunghezze[13] = {18, 16, 8, 12, 7, 15, 6, 12, 10, 11, 13, 13, 18};
  for (size_t k = 0; k < scenario::kStazioni.size(); ++k) {
    const std::string_view nome = scenario::kStazioni[k].nome;
    EXPECT_TRUE(forma_di_nome(nome)) << nome;
    EXPECT_EQ(nome.size(), lunghezze[k]) << nome;
  }
  struct {
    std::string_view nome;
    size_t lunghezza;
    size_t parole;
  } const luoghi[] = {{nomi::kExStazione, 7, 1}, {nomi::kViadottoDi, 7, 1}, {nomi::kViadotto, 15, 2}, {nomi::kCanale, 16, 2}};
  for (const auto& l : luoghi) {
    EXPECT_TRUE(forma_di_nome(l.nome)) << l.nome;
    EXPECT_EQ(l.nome.size(), l.lunghezza) << l.nome;
    EXPECT_EQ(static_cast<size_t>(std::count(l.nome.begin(), l.nome.end(), ' ')) + 1, l.parole) << l.nome;
  }
}

class ScritturaContenuto : public ::testing::Test {
 protected:
  MemFileSystem fs_;
  Form1 form_{fs_, "/prova"};
  void SetUp() override {
    form_.nome_linea = "Valmera-Lusa";
    form_.numero_treno = "019";
  }
};

TEST_F(ScritturaContenuto, FileCompletiCheSostituisconoIVecchi) {
  const std::string linea = "/prova/Valmera-Lusa_linea.txt";
  const std::string treno = "/prova/Valmera-Lusa_019-.txt";
  const std::string vecchio(200000, 'x');
  fs_.files()[linea] = vecchio;
  fs_.files()[treno] = vecchio;
  ASSERT_TRUE(form_.dati_linea().is_ok());
  ASSERT_TRUE(form_.dati_treno().is_ok());

  struct {
    const std::string& nome;
    const tabella_righe righe;
  } const file[] = {{linea, Form1::righe_linea()}, {treno, Form1::righe_treno()}};
  for (const auto& f : file) {
    std::string atteso;
    for (const std::string& riga : righe_prima_della_fine(f.righe)) atteso += riga + "\r\n";
    EXPECT_EQ(fs_.files().at(f.nome), atteso) << f.nome;
    EXPECT_TRUE(atteso.ends_with("\r\n[fine]\r\n"));
    EXPECT_EQ(atteso.find(kFineRighe), std::string::npos);
  }
}

}  // namespace
}  // namespace binario
