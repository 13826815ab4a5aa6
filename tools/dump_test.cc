#include "tools/dump.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "base/memfs.h"
#include "tools/esporta.h"
#include "tools/vista.h"

namespace binario {
namespace {

TEST(BinarioDump, UnaRigaPerRecordConINomiDeiCampi) {
  voce v;
  v.tipo = 8;
  v.inizio_zona = -300;
  v.nome = "LUSA \"S.\" \xC8\x01";  // quote, Windows-1252 È, a control byte
  v.orario = 37800;
  EXPECT_EQ(riga_voce(1, v),
            "voce 1: tipo=8 inizio_zona=-300 fine_zona=0 posizione=0 colonna_4=0 nome=\"LUSA \\\"S.\\\" È\\x01\" "
            "colonna_7=0 colonna_8=0 colonna_10=0 colonna_11=0 colonna_12=0 colonna_9=0 colonna_13=0 colonna_6=0 "
            "colonna_5=0 orario=37800");
  using tipo = tabella_tracciato::tipo_elemento;
  EXPECT_EQ(riga_metro(1, {tipo::intero, 0}, {tipo::intero, 1}), "metro 1: x=0 y=1");
  EXPECT_EQ(riga_metro(2, {tipo::reale, 0}, {tipo::reale, 2}), "metro 2: x=0.0 y=2.0");
  EXPECT_EQ(riga_metro(3, {tipo::reale, 0.0001}, {tipo::vuoto, 0}), "metro 3: x=1e-04 y=vuoto");
}

// A cell as an author reads it: the metres its profile values cover, the
// kind by name, where its feature sits, km/h and per mille.
TEST(BinarioDump, CellaInUnitaDecodificate) {
  struct Caso {
    int indice;
    cella c;
    const char* riga;
  };
  const Caso casi[] = {
      {1, {1, 40, -2502, 0, 21, 101, 64, 3, 18, 92, 100},
       "cella 1: metri=50-100 tipo=segnale metro=0 valore_a=40 valore_b=-2502 valore_c=0 valore_d=21 tempo_segnale=101 "
       "codice_avviso=64 tipo_montagna=3 velocita_limite=90km/h pendenza=-8‰ aderenza=100"},
      {12, {0, 5121, 0, 0, 0, 0, 0, 0, 0, 118, 0},
       "cella 12: metri=600-650 tipo=vuota valore_a=5121 valore_b=0 valore_c=0 valore_d=0 tempo_segnale=0 "
       "codice_avviso=0 tipo_montagna=0 velocita_limite=0km/h pendenza=18‰ aderenza=0"},
      // A span filler holds no feature of its own: no metre.
      {7, {11, 0, 0, 0, 0, 0, 0, 2, 16, 100, 0},
       "cella 7: metri=350-400 tipo=montagna valore_a=0 valore_b=0 valore_c=0 valore_d=0 tempo_segnale=0 "
       "codice_avviso=0 tipo_montagna=2 velocita_limite=80km/h pendenza=0‰ aderenza=0"},
      // A code no writer sets stays a number.
      {0, {7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
       "cella 0: metri=0-50 tipo=7 metro=-50 valore_a=0 valore_b=0 valore_c=0 valore_d=0 tempo_segnale=0 "
       "codice_avviso=0 tipo_montagna=0 velocita_limite=0km/h pendenza=-100‰ aderenza=0"},
  };
  for (const Caso& k : casi) EXPECT_EQ(riga_cella(k.indice, k.c), k.riga);
}

TEST(BinarioDump, JsonDellaCellaAggiungeIValoriDecodificati) {
  std::string dati(2 * kByteCella, '\0');
  dati[kByteCella] = 1;                       // cell 1: a signal
  dati[kByteCella + 12] = 18;                 // 90 km/h
  dati[kByteCella + 13] = static_cast<char>(92);  // -8 per mille
  std::ostringstream out;
  scrivi_dump(dati, tipo_file::griglia, true, out);
  const nlohmann::json j = nlohmann::json::parse(out.str())[1];
  EXPECT_EQ(j["tipo"], 1);
  EXPECT_EQ(j["velocita_limite"], 18);
  EXPECT_EQ(j["pendenza"], 92);
  EXPECT_EQ(j["nome_tipo"], "segnale");
  EXPECT_EQ(j["metri"], nlohmann::json({50, 100}));
  EXPECT_EQ(j["metro"], 0);
  EXPECT_EQ(j["velocita_kmh"], 90);
  EXPECT_EQ(j["pendenza_per_mille"], -8);
}

// --non-vuote: the header slots never written, the cells with nothing but
// profiles, the metres the plan did not reach; the others stay, in order.
TEST(BinarioDump, NonVuoteTralasciaIRecordVuoti) {
  std::string voci;
  for (int i = 0; i < kNumeroVoci; ++i) {
    std::string r(kByteVoce, '\0');
    if (i == 85) r[0] = 3;
    voci += r;
  }
  std::string griglia(3 * kByteCella, '\0');
  griglia[kByteCella + 13] = 100;        // cell 1: a gradient only, still empty
  griglia[2 * kByteCella + 1] = 1;       // cell 2: a value
  // x: integer 0, empty; y: integer 1, empty.
  const std::string tracciato("\x02\x00\x00\x00\x00\x00\x02\x00\x01\x00\x00\x00", 12);
  struct Caso {
    std::string dati;
    tipo_file tipo;
    std::vector<std::string> inizi;
  };
  const Caso casi[] = {
      {voci, tipo_file::voci, {"voce 85:"}},
      {griglia, tipo_file::griglia, {"cella 2:"}},
      {tracciato, tipo_file::tracciato, {"metro 0:"}},
  };
  for (const Caso& k : casi) {
    std::ostringstream out;
    scrivi_dump(k.dati, k.tipo, false, out, true);
    std::istringstream in(out.str());
    std::vector<std::string> inizi;
    for (std::string riga; std::getline(in, riga);) inizi.push_back(riga.substr(0, riga.find(':') + 1));
    EXPECT_EQ(inizi, k.inizi);
  }
}

// The driver's kilometre: the metre itself before any reference, then the
// reference's kilometre counting on.
TEST(BinarioDump, ChilometroLettoDallUltimaProgressiva) {
  const nlohmann::ordered_json progressive = nlohmann::ordered_json::parse(
      R"([{"voce":83,"metro":10000,"chilometro":42000,"terzo":0},{"voce":82,"metro":20000,"chilometro":5000,"terzo":0}])");
  for (const auto& [metro, letto] : std::vector<std::pair<int32_t, int64_t>>{
           {550, 550}, {10000, 42000}, {13000, 45000}, {19999, 51999}, {20000, 5000}, {27800, 12800}})
    EXPECT_EQ(metro_letto(progressive, metro), letto) << metro;
  EXPECT_EQ(metro_letto(nlohmann::ordered_json::array(), 700), 700);
}

// The summary of the built-in scenario, from the same model as its page.
TEST(BinarioDump, RiepilogoDelloScenarioIncorporato) {
  MemFileSystem fs;
  ASSERT_FALSE(esporta(fs, "d", false).guasto);
  nlohmann::ordered_json m = modello_da_testi(fs, {"d", "Valmera-Lusa", "019", false});
  ASSERT_TRUE(m["diagnostica"]["errors"].empty());
  // A kilometre reference, so that the driver's kilometre differs from the metre.
  m["progressive"] = nlohmann::ordered_json::parse(R"([{"voce":83,"metro":10000,"chilometro":42000,"terzo":0}])");
  std::ostringstream out;
  scrivi_riepilogo(m, out);
  std::vector<std::string> righe;
  std::istringstream in(out.str());
  for (std::string riga; std::getline(in, riga);) righe.push_back(riga);
  auto conta = [&](const std::string& inizio) {
    return std::count_if(righe.begin(), righe.end(), [&](const std::string& r) { return r.rfind(inizio, 0) == 0; });
  };
  EXPECT_EQ(conta("stazione "), 13);
  EXPECT_EQ(conta("segnale "), 20);
  EXPECT_EQ(conta("rallentamento:"), 2);
  EXPECT_EQ(conta("cartello "), 7);
  const std::vector<std::string> attese = {
      "linea \"Valmera-Lusa\" treno \"019\" lunghezza 29000 m",
      "progressiva voce 83: metro 10000 km 42.000 terzo 0",
      "stazione voce 1: \"VALMERA PORTA ALTA\" metro 0 km 0.000 zona -300..300 tipo 8 ferma orario 10:30:00",
      "stazione voce 4: \"PIANE DI RUO\" metro 7750 km 7.750 zona 7600..7900 tipo 28 transita orario 10:40:00",
      "segnale cella 12: metro 550 km 0.550 aspetti 40/0/0 codice 6 tempo 0",
      "segnale cella 261: metro 13000 km 45.000 aspetti 40/0/0 codice 6 tempo 0",
      "rallentamento: avviso metro 13050 km 45.050 inizio metro 14250 km 46.250 fine metro 15800 km 47.800 30 km/h",
      "indicatori cella 13: metro 600 km 0.600 sinistra 90/90/90 destra 0/0/0 km/h strisce 0",
      "cartello cella 177: metro 8800 km 8.800 voce 80 \"(     EX STAZIONE)(       SOLANTE  )(        8.800   )\"",
      "cambio codice cella 260: metro 12950 km 44.950 codice 180",
      "montagna: metri 1600-1850 km 1.600-1.850 tipo 2",
      "velocita: metri 24550-35900 km 56.550-67.900 80 km/h",
      "pendenza: metri 250-350 km 0.250-0.350 -8 ‰",
  };
  for (const std::string& riga : attese) EXPECT_NE(std::find(righe.begin(), righe.end(), riga), righe.end()) << riga;
}

TEST(BinarioDump, JsonDelTracciato) {
  // x: integer 0, real 0.5; y: integer 1, empty.
  const std::string dati("\x02\x00\x00\x00\x05\x00\x00\x00\x00\x00\x00\x00\xE0\x3F"
                         "\x02\x00\x01\x00\x00\x00",
                         20);
  std::ostringstream out;
  scrivi_dump(dati, tipo_file::tracciato, true, out);
  EXPECT_EQ(nlohmann::json::parse(out.str()),
            nlohmann::json::parse(R"([{"metro":0,"x":0,"y":1,"tipo_x":2,"tipo_y":2},
                                      {"metro":1,"x":0.5,"y":null,"tipo_x":5,"tipo_y":0}])"));
}

// The records go out one by one; the text must still be what one dump of
// the whole array gives, for every kind of file.
TEST(BinarioDump, JsonInStreamingComeLArrayIntero) {
  const std::string griglia(2 * kByteCella, '\x01');
  const std::string tracciato("\x02\x00\x00\x00\x05\x00\x00\x00\x00\x00\x00\x00\xE0\x3F"
                              "\x02\x00\x01\x00\x00\x00",
                              20);
  for (const auto& [dati, tipo] : {std::pair{griglia, tipo_file::griglia}, std::pair{tracciato, tipo_file::tracciato}})
    for (const bool non_vuote : {false, true}) {
      std::ostringstream out;
      scrivi_dump(dati, tipo, true, out, non_vuote);
      EXPECT_EQ(out.str(), nlohmann::json::parse(out.str()).dump(1) + "\n");
    }
}

}  // namespace
}  // namespace binario
