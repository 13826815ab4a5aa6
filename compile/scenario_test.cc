// The built-in scenario compiled end to end, in memory: the writers, the
// reader, the placement, the post-pass, the final checks and the binary
// files together.
//
// The three binary files are also compared byte for byte with the copies in
// testdata/golden. Only a change of the invented names (sources/nomi.h) may
// change them, and then only the header file (.sim), which holds the station
// names and the board texts. Any other difference is a change of what the
// simulator reads. After such a name change, regenerate the copies with
//
//     BINARIO_AGGIORNA_GOLDEN=1 build/bin/binario_tests --gtest_filter='ScenarioCompleto.*'
//
// (or scripts/aggiorna-golden); the copies are written only when every
// other check of this test holds.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/form1.h"
#include "base/memfs.h"
#include "app/run.h"

namespace binario {
namespace {

namespace tc = tipo_cella;

const std::string kCartella = "/genera";

std::string in_cartella(const std::string& nome) { return kCartella + "/" + nome; }

// Little-endian reading of the binary files, independent of the writers.
class Lettore {
 public:
  explicit Lettore(const std::string& b) : b_(b) {}
  uint8_t u8() { return static_cast<uint8_t>(b_.at(p_++)); }
  uint16_t u16() {
    const uint16_t basso = u8();
    return static_cast<uint16_t>(basso | (u8() << 8));
  }
  int16_t i16() { return static_cast<int16_t>(u16()); }
  int32_t i32() {
    const uint32_t basso = u16();
    return static_cast<int32_t>(basso | (uint32_t{u16()} << 16));
  }
  std::string testo(size_t n) {
    std::string t = b_.substr(p_, n);
    p_ += n;
    return t;
  }
  bool finito() const { return p_ == b_.size(); }

 private:
  const std::string& b_;
  size_t p_ = 0;
};

std::vector<cella> leggi_griglia(const std::string& b) {
  Lettore l(b);
  std::vector<cella> g;
  while (!l.finito()) {
    cella c;
    c.tipo = l.u8();
    c.valore_a = l.i16();
    c.valore_b = l.i16();
    c.valore_c = l.i16();
    c.valore_d = l.i16();
    c.tempo_segnale = l.u8();
    c.codice_avviso = l.u8();
    c.tipo_montagna = l.u8();
    c.velocita_limite = l.u8();
    c.pendenza = l.u8();
    c.aderenza = l.u8();
    g.push_back(c);
  }
  return g;
}

// Only the fields the checks below need.
struct voce_letta {
  std::string nome;
  int16_t colonna_7 = 0;
  int32_t orario = 0;
};

std::vector<voce_letta> leggi_voci(const std::string& b) {
  Lettore l(b);
  std::vector<voce_letta> v;
  while (!l.finito()) {
    voce_letta x;
    l.testo(14);
    x.nome = l.testo(l.u16());
    x.colonna_7 = l.i16();
    l.testo(12);
    x.orario = l.i32();
    v.push_back(x);
  }
  return v;
}

std::map<uint8_t, std::set<int>> celle_per_tipo(const std::vector<cella>& g) {
  std::map<uint8_t, std::set<int>> r;
  for (size_t k = 0; k < g.size(); ++k)
    if (g[k].tipo != tc::vuota) r[g[k].tipo].insert(static_cast<int>(k));
  return r;
}

std::string percorso_golden(const std::string& nome) { return std::string(BINARIO_SOURCE_DIR) + "/testdata/golden/" + nome; }

class ScenarioCompleto : public ::testing::Test {
 protected:
  void SetUp() override {
    form_.nome_linea = kNomeLinea;
    form_.numero_treno = kNumeroTreno;
    esito_ = form_.esegui_passi();
  }
  const std::string& file(const std::string& nome) { return fs_.files().at(in_cartella(nome)); }
  void verifica_fatti();

  MemFileSystem fs_;
  Form1 form_{fs_, kCartella};
  Status esito_;
};

const std::vector<std::string> kBinari = {"Valmera-Lusa_019.sim", "Valmera-Lusa_019.dat", "Valmera-Lusa_linea.dat"};

TEST_F(ScenarioCompleto, LasciaSoloDocumentiEFileBinari) {
  ASSERT_TRUE(esito_.is_ok()) << esito_.to_string();
  EXPECT_EQ(form_.codice_errore, 0);
  EXPECT_TRUE(form_.errori.empty());
  std::set<std::string> presenti;
  for (const auto& [nome, contenuto] : fs_.files()) presenti.insert(nome);
  const std::set<std::string> attesi = {
      in_cartella("Valmera-Lusa_019_note.txt"), in_cartella("Valmera-Lusa_019_rallentamenti.txt"),
      in_cartella("Valmera-Lusa_019_scheda_treno.txt"), in_cartella("Valmera-Lusa_019.sim"),
      in_cartella("Valmera-Lusa_019.dat"), in_cartella("Valmera-Lusa_linea.dat")};
  EXPECT_EQ(presenti, attesi);
}

// What the built-in content must compile to, read back from the files.
void ScenarioCompleto::verifica_fatti() {
  ASSERT_TRUE(esito_.is_ok()) << esito_.to_string();
  EXPECT_EQ(form_.codice_errore, 0);
  EXPECT_EQ(file("Valmera-Lusa_linea.dat").size(), 719964u);
  ASSERT_EQ(file("Valmera-Lusa_019.dat").size(), 10815u);

  const std::vector<cella> g = leggi_griglia(file("Valmera-Lusa_019.dat"));
  ASSERT_EQ(g.size(), 721u);
  const std::map<uint8_t, std::set<int>> tipi = celle_per_tipo(g);
  auto celle = [&](uint8_t tipo) { return tipi.contains(tipo) ? tipi.at(tipo) : std::set<int>{}; };
  EXPECT_EQ(celle(tc::segnale),
            (std::set<int>{12, 33, 59, 81, 113, 135, 160, 187, 211, 261, 303, 333, 355, 381, 407, 451, 481, 507, 531, 557}));
  EXPECT_EQ(celle(tc::avviso_rallentamento), (std::set<int>{262, 472}));
  EXPECT_EQ(celle(tc::inizio_rallentamento), (std::set<int>{286, 496}));
  EXPECT_EQ(celle(tc::fine_rallentamento), (std::set<int>{317, 502}));
  EXPECT_EQ(celle(tc::approccio_rallentamento), std::set<int>{});
  EXPECT_EQ(celle(tc::indicatori_v_max), (std::set<int>{13, 484}));
  EXPECT_EQ(celle(tc::cartello), (std::set<int>{177, 364, 482, 495, 503, 511, 524}));
  EXPECT_EQ(celle(tc::montagna), std::set<int>{35});
  // Every stopping station's stop point; the one of kind 28 has none.
  EXPECT_EQ(celle(tc::fermata), (std::set<int>{5, 48, 94, 237, 283, 315, 429, 470, 493, 518, 545, 569}));
  // The marks of the post-pass: in front of the signal behind the first
  // warning board, the three windows before each start, every eighth cell
  // through the first (30 km/h) slowdown and in front of the signal after
  // the second one's end.
  EXPECT_EQ(celle(tc::abbattimento), (std::set<int>{260, 268, 275, 281, 294, 302, 310, 478, 485, 491, 506}));
  for (int k : celle(tc::abbattimento)) EXPECT_EQ(g[static_cast<size_t>(k)].valore_a, 180) << "cell " << k;

  for (size_t k = 0; k < g.size(); ++k) EXPECT_EQ(g[k].tempo_segnale, k == 303 ? 255 : 0) << "cell " << k;
  EXPECT_EQ(g[4].codice_avviso, 64);
  EXPECT_EQ(g[1].tipo, tc::vuota);
  EXPECT_EQ(g[1].valore_a, 5121);
  EXPECT_EQ(g[1].valore_b, 2370);

  const std::vector<voce_letta> v = leggi_voci(file("Valmera-Lusa_019.sim"));
  ASSERT_EQ(v.size(), 87u);
  EXPECT_EQ(v[85].nome, "Valmera-Lusa");
  EXPECT_EQ(v[85].colonna_7, 610);
  EXPECT_EQ(v[85].orario, 32201);
  EXPECT_EQ(v[86].nome, "019");
  EXPECT_EQ(v[1].nome, "VALMERA PORTA ALTA");
  EXPECT_EQ(v[13].nome, "LUSA STAZIONE MARE");
  // The boards' texts keep every blank of their rows.
  EXPECT_EQ(v[80].nome, "(     EX STAZIONE)(       SOLANTE  )(        8.800   )");
  EXPECT_EQ(v[74].nome, "(PONTE           )(CANALE DORBISINA)(26.174          )");
}

TEST_F(ScenarioCompleto, GrigliaEIntestazione) { verifica_fatti(); }

TEST_F(ScenarioCompleto, UgualeAiFileDiRiferimento) {
  ASSERT_TRUE(esito_.is_ok()) << esito_.to_string();
  const char* aggiorna = std::getenv("BINARIO_AGGIORNA_GOLDEN");
  if (aggiorna != nullptr && std::string(aggiorna) == "1") {
    // The copies are only worth keeping when the scenario is right.
    verifica_fatti();
    if (HasFailure()) GTEST_FAIL() << "golden copies not written: the scenario's checks failed";
    for (const std::string& nome : kBinari) {
      std::ofstream out(percorso_golden(nome), std::ios::binary | std::ios::trunc);
      out << file(nome);
      ASSERT_TRUE(out.good()) << percorso_golden(nome);
    }
    return;
  }
  for (const std::string& nome : kBinari) {
    std::ifstream in(percorso_golden(nome), std::ios::binary);
    ASSERT_TRUE(in.good()) << percorso_golden(nome) << " is missing; see the comment at the top of this file";
    const std::string atteso{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::string& ottenuto = file(nome);
    ASSERT_EQ(ottenuto.size(), atteso.size()) << nome;
    size_t primo = 0;
    while (primo < atteso.size() && atteso[primo] == ottenuto[primo]) ++primo;
    EXPECT_EQ(primo, atteso.size()) << nome << " differs first at byte " << primo;
  }
}

// A signal in cell 3 with cell 2 taken: the board behind it makes the
// post-pass mark cell 1, the place of the format mark, and the run ends with
// 1250 before any binary file is written.
TEST(ScenarioPiccolo, SegnoInCellaUnoFerma1250) {
  MemFileSystem fs;
  Form1 form(fs, kCartella);
  form.nome_linea = "L";
  form.numero_treno = "1";
  fs.files()[in_cartella("L_linea.txt")] =
      "[generale]\r\n"
      "lunghezza percorso,    2000\r\n"
      "[fine]\r\n";
  fs.files()[in_cartella("L_1-.txt")] =
      "[generale]\r\n"
      "aderenza,   0,    100\r\n"
      "velocita,       0,    90\r\n"
      "rallentamento,    1600,    30,  100, 0,  0,  0\r\n"
      "segnale,     100,   2, 4, 0,  0, 0,    0,  0,0,0, 0\r\n"
      "abbattimento,  100,  3\r\n"
      "[fine]\r\n";
  const Status s = form.memorizza_percorso(1);
  EXPECT_TRUE(s.is_fatale());
  EXPECT_EQ(s.numero(), 1250);
  EXPECT_EQ(form.codice_errore, 0);
  ASSERT_TRUE(form.griglia_creata());
  EXPECT_EQ(form.griglia_celle[3].tipo, tc::segnale);
  EXPECT_EQ(form.griglia_celle[2].tipo, tc::abbattimento);
  EXPECT_EQ(form.griglia_celle[1].tipo, tc::abbattimento);
  EXPECT_TRUE(fs.files().empty()) << fs.files().begin()->first;
}

}  // namespace
}  // namespace binario
