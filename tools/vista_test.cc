#include "tools/vista.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "base/memfs.h"
#include "tools/esporta.h"
#include "tools/vista_disegno.h"

namespace binario {
namespace {

using json = nlohmann::ordered_json;

// A plan traced the way the reader traces it: straight, then a curve of
// curvature k over `curva` metres, then straight again.
void traccia(std::vector<double>& x, std::vector<double>& y, int dritto, int curva, double k, int dopo) {
  x = {0, 0};
  y = {0, 1};
  auto passo = [&](double kk) {
    const size_t m = x.size();
    const double dx = x[m - 1] - x[m - 2], dy = y[m - 1] - y[m - 2];
    x.push_back(x[m - 1] + dx + kk * dy);
    y.push_back(y[m - 1] + dy - kk * dx);
  };
  while (static_cast<int>(x.size()) <= dritto) passo(0);
  while (static_cast<int>(x.size()) <= dritto + curva) passo(k);
  while (static_cast<int>(x.size()) <= dritto + curva + dopo) passo(0);
}

TEST(Semplifica, OgniPuntoTolto_RestaEntroLaTolleranza) {
  struct caso {
    const char* nome;
    int dritto, curva;
    double k;
    size_t massimo_tenuti;
  };
  for (const caso& c : std::vector<caso>{{"rettilineo", 1000, 0, 0, 2},
                                         {"curva stretta a destra", 200, 400, 0.003, 40},
                                         {"curva larga a sinistra", 100, 2000, -0.0001, 20}}) {
    SCOPED_TRACE(c.nome);
    std::vector<double> x, y;
    traccia(x, y, c.dritto, c.curva, c.k, 300);
    const std::vector<int32_t> tenuti = semplifica(x, y, kTolleranzaTracciato);
    ASSERT_GE(tenuti.size(), 2u);
    EXPECT_EQ(tenuti.front(), 0);
    EXPECT_EQ(tenuti.back(), static_cast<int32_t>(x.size()) - 1);
    EXPECT_LE(tenuti.size(), c.massimo_tenuti);
    for (size_t i = 0; i + 1 < tenuti.size(); ++i) {
      const size_t a = static_cast<size_t>(tenuti[i]), b = static_cast<size_t>(tenuti[i + 1]);
      for (size_t m = a; m <= b; ++m)
        ASSERT_LE(distanza_dal_segmento(x[m], y[m], x[a], y[a], x[b], y[b]), kTolleranzaTracciato) << "metro " << m;
    }
  }
}

TEST(Semplifica, UnoScartoOltreLaTolleranzaResta) {
  const std::vector<double> x = {0, 10, 20, 30, 40};
  const std::vector<double> y = {0, 0, 0.6, 0, 0};
  EXPECT_EQ(semplifica(x, y, 0.5), (std::vector<int32_t>{0, 2, 4}));
  EXPECT_EQ(semplifica(x, y, 0.7), (std::vector<int32_t>{0, 4}));
  EXPECT_EQ(semplifica({5}, {5}, 0.5), (std::vector<int32_t>{0}));
  EXPECT_TRUE(semplifica({}, {}, 0.5).empty());
}

TEST(Quota, DallePendenzePerMille) {
  // 250 m flat, 100 m at -8, 300 m at +10, the rest flat.
  const std::vector<double> celle = {0, 0, 0, 0, 0, -8, -8, 10, 10, 10, 10, 10, 10, 0};
  const std::vector<tratto> pendenze = tratti_da_celle(celle, 50);
  ASSERT_EQ(pendenze, (std::vector<tratto>{{0, 250, 0}, {250, 350, -8}, {350, 650, 10}, {650, 700, 0}}));
  const std::vector<punto_quota> q = quote_da_pendenze(pendenze);
  ASSERT_EQ(q.size(), 5u);
  const double attese[] = {0, 0, -0.8, 2.2, 2.2};
  const int32_t metri[] = {0, 250, 350, 650, 700};
  for (size_t i = 0; i < q.size(); ++i) {
    EXPECT_EQ(q[i].metro, metri[i]);
    EXPECT_NEAR(q[i].quota, attese[i], 1e-9);
  }
  EXPECT_TRUE(quote_da_pendenze({}).empty());
}

TEST(Curve, DalTracciatoConVersoERaggio) {
  std::vector<double> x, y;
  traccia(x, y, 500, 250, 0.002, 100);
  EXPECT_EQ(curve_da_tracciato(x, y), (std::vector<tratto>{{500, 750, 0.002}}));
  traccia(x, y, 100, 50, -0.0004, 10);
  EXPECT_EQ(curve_da_tracciato(x, y), (std::vector<tratto>{{100, 150, -0.0004}}));
  // Right-hand is towards +x from a start heading north (+y).
  traccia(x, y, 10, 200, 0.003, 0);
  EXPECT_GT(x.back(), 1);
}

// The built-in scenario's texts, in memory.
class ModelloIncorporato : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(esporta(fs, "d", false).guasto); }
  MemFileSystem fs;
  const richiesta_compilazione r{"d", "Valmera-Lusa", "019", true};
};

std::vector<int> metri(const json& a) {
  std::vector<int> v;
  for (const auto& f : a) v.push_back(f["metro"].get<int>());
  return v;
}

TEST_F(ModelloIncorporato, OgniElementoAlSuoMetro) {
  const json m = modello_da_testi(fs, r);
  EXPECT_EQ(m["linea"], "Valmera-Lusa");
  EXPECT_EQ(m["lunghezza"], 29000);
  EXPECT_EQ(m["fine_profili"], 718 * 50);
  EXPECT_TRUE(m["diagnostica"]["errors"].empty());

  ASSERT_EQ(m["stazioni"].size(), 13u);
  EXPECT_EQ(m["stazioni"][0]["nome"], "VALMERA PORTA ALTA");
  EXPECT_EQ(m["stazioni"][0]["orario"], 37800);
  EXPECT_EQ(m["stazioni"][3]["ferma"], false);  // kind 28
  EXPECT_EQ(m["stazioni"][12]["nome"], "LUSA STAZIONE MARE");
  EXPECT_EQ(metri(m["segnali"]), (std::vector<int>{550, 1600, 2900, 4000, 5600, 6700, 7950, 9300, 10500, 13000,
                                                   15100, 16600, 17700, 19000, 20300, 22500, 24000, 25300, 26500, 27800}));
  EXPECT_EQ(m["segnali"][10]["tempo"], 255);
  for (const auto& [i, avviso, inizio, fine, v] :
       std::vector<std::tuple<int, int, int, int, int>>{{0, 13050, 14250, 15800, 30}, {1, 23550, 24750, 25050, 40}}) {
    const json& x = m["rallentamenti"][static_cast<size_t>(i)];
    EXPECT_EQ(x["avviso"], avviso);
    EXPECT_EQ(x["metro"], inizio);
    EXPECT_EQ(x["fine"], fine);
    EXPECT_EQ(x["velocita"], v);
  }
  EXPECT_EQ(metri(m["cartelli"]), (std::vector<int>{8800, 18150, 24050, 24700, 25100, 25500, 26150}));
  EXPECT_EQ(m["indicatori"][0]["sinistra"], json({90, 90, 90}));
  ASSERT_EQ(m["montagne"].size(), 3u);
  EXPECT_EQ(m["montagne"][0]["tipo"], 2);
  EXPECT_EQ(m["montagne"][1]["metro"], 1600);
  EXPECT_EQ(m["montagne"][1]["fine"], 1850);
  EXPECT_EQ(m["velocita"], json::parse("[[0,24550,90],[24550,35900,80]]"));
  EXPECT_EQ(m["curve"][0], json::parse("[500,750,0.002]"));
  EXPECT_EQ(m["curve"][2], json::parse("[1900,2050,-0.002]"));
}

TEST_F(ModelloIncorporato, ElementiSulTracciatoInScala) {
  const json m = modello_da_testi(fs, r);
  // The plan starts at the origin heading north; the first 500 m are straight.
  EXPECT_EQ(m["stazioni"][0]["x_cm"], 0);
  EXPECT_EQ(m["stazioni"][0]["y_cm"], 0);
  EXPECT_EQ(m["montagne"][0]["x_cm"], 0);
  EXPECT_EQ(m["montagne"][0]["y_cm"], 35000);
  const json& punti = m["tracciato"]["punti"];
  EXPECT_EQ(punti.front(), json::parse("[0,0,0]"));
  EXPECT_EQ(punti.back()[0], 35998);
  EXPECT_LT(punti.size(), 2000u);
}

TEST_F(ModelloIncorporato, CompilaSoloInMemoria) {
  const auto prima = fs.files();
  modello_da_testi(fs, r);
  EXPECT_EQ(fs.files(), prima);
}

TEST_F(ModelloIncorporato, DaiBinariLoStessoModello) {
  const esito_compilazione e = compila(fs, r);
  ASSERT_EQ(e.file_scritti.size(), 3u);
  json testi = modello_da_testi(fs, r);
  json binari = modello_da_binari(fs, r);
  EXPECT_EQ(binari["origine"], "binari");
  EXPECT_TRUE(binari["diagnostica"].is_null());
  for (json* j : {&testi, &binari}) {
    j->erase("origine");
    j->erase("diagnostica");
  }
  EXPECT_EQ(testi, binari);
}

TEST_F(ModelloIncorporato, BinariMancantiOGuastiNominatiConIlFile) {
  EXPECT_THROW(
      {
        try {
          modello_da_binari(fs, r);
        } catch (const std::runtime_error& e) {
          EXPECT_NE(std::string(e.what()).find("d/Valmera-Lusa_019.sim"), std::string::npos) << e.what();
          throw;
        }
      },
      std::runtime_error);
  compila(fs, r);
  fs.files()["d/Valmera-Lusa_019.dat"].resize(20);
  try {
    modello_da_binari(fs, r);
    ADD_FAILURE() << "a truncated grid was read";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("d/Valmera-Lusa_019.dat: byte 15"), std::string::npos) << e.what();
  }
  compila(fs, r);
  fs.files()["d/Valmera-Lusa_linea.dat"].resize(30);
  try {
    modello_da_binari(fs, r);
    ADD_FAILURE() << "a truncated plan was read";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("d/Valmera-Lusa_linea.dat: byte 28"), std::string::npos) << e.what();
  }
  // Without the plan file the page has no map, and still the rest.
  fs.files().erase("d/Valmera-Lusa_linea.dat");
  compila(fs, {"d", "Valmera-Lusa", "019", false});
  const json m = modello_da_binari(fs, r);
  EXPECT_TRUE(m["tracciato"].is_null());
  EXPECT_EQ(m["stazioni"].size(), 13u);
}

TEST_F(ModelloIncorporato, DiagnosticheDiUnaCopiaGuasta) {
  std::string& servizio = fs.files()["d/Valmera-Lusa_019-.txt"];
  const size_t p = servizio.find("segnale,    1600");
  ASSERT_NE(p, std::string::npos);
  servizio.replace(p, 16, "segnale,    2350");  // the stop cell of BORGO SAN CALIMO
  const json d = modello_da_testi(fs, r)["diagnostica"];
  ASSERT_FALSE(d["errors"].empty());
  EXPECT_EQ(d["errors"][0]["code"], 16);
  EXPECT_EQ(d["errors"][0]["position"], 2350);
}

TEST(PaginaVista, UnNomeNonEsceDalloScript) {
  const json m = {{"linea", "</script><script>alert(1)</script>"}, {"treno", "a&b>c"}};
  const std::string pagina = pagina_vista(m, false);
  EXPECT_EQ(pagina.find("<script>alert"), std::string::npos);
  const std::string apre = "<script type=\"application/json\" id=\"modello\">";
  const size_t inizio = pagina.find(apre) + apre.size();
  const size_t fine = pagina.find("</script>", inizio);
  EXPECT_EQ(json::parse(pagina.substr(inizio, fine - inizio)), m);
  EXPECT_NE(pagina.find("const DAL_VIVO = false;"), std::string::npos);
  EXPECT_NE(pagina_vista(m, true).find("const DAL_VIVO = true;"), std::string::npos);
  // Nothing outside the page: no address of another origin anywhere.
  for (size_t i = pagina.find("http:"); i != std::string::npos; i = pagina.find("http:", i + 1))
    EXPECT_EQ(pagina.compare(i, 26, "http://www.w3.org/2000/svg"), 0) << pagina.substr(i, 40);
  EXPECT_EQ(pagina.find("src="), std::string::npos);
  EXPECT_EQ(pagina.find("<link"), std::string::npos);
}

}  // namespace
}  // namespace binario
