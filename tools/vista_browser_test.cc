// The page of `binario view` opened in a real browser (headless Chromium):
// what counts is the DOM after the page's own script has drawn it.
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tools/processo_test.h"

namespace binario::test {
namespace {

namespace fs = std::filesystem;

std::optional<std::string> trova_chromium() {
  const char* path = std::getenv("PATH");
  std::stringstream s(path ? path : "");
  for (std::string dir; std::getline(s, dir, ':');) {
    const fs::path p = fs::path(dir) / "chromium";
    if (!dir.empty() && ::access(p.c_str(), X_OK) == 0) return p.string();
  }
  return std::nullopt;
}

using elemento = std::pair<std::string, int>;  // data-tipo, data-metro

// The drawn features inside the SVG element `id`, in document order.
std::vector<elemento> elementi(const std::string& dom, const std::string& id) {
  const size_t inizio = dom.find("<svg id=\"" + id + "\"");
  const size_t fine = dom.find("</svg>", inizio);
  std::vector<elemento> v;
  if (inizio == std::string::npos || fine == std::string::npos) return v;
  const std::string parte = dom.substr(inizio, fine - inizio);
  static const std::regex re("data-tipo=\"([a-z]+)\" data-metro=\"(-?[0-9]+)\"");
  for (auto it = std::sregex_iterator(parte.begin(), parte.end(), re); it != std::sregex_iterator(); ++it)
    v.emplace_back((*it)[1], std::stoi((*it)[2]));
  return v;
}

std::vector<int> metri_di(const std::vector<elemento>& v, const std::string& tipo) {
  std::vector<int> m;
  for (const auto& [t, metro] : v)
    if (t == tipo) m.push_back(metro);
  return m;
}

// The positions of the lines of a description text with key `chiave`.
std::vector<int> posizioni(const std::string& testo, const std::string& chiave) {
  std::vector<int> p;
  std::stringstream s(testo);
  for (std::string riga; std::getline(s, riga);)
    if (riga.rfind(chiave + ",", 0) == 0) p.push_back(std::stoi(riga.substr(chiave.size() + 1)));
  return p;
}

class VistaNelBrowser : public CartellaTemporanea {
 protected:
  void SetUp() override {
    CartellaTemporanea::SetUp();
    chromium_ = trova_chromium();
    if (!chromium_) GTEST_SKIP() << "chromium non installato: la pagina non viene aperta";
    dir_ = cartella("linea");
    ASSERT_EQ(esegui(BINARIO_EXE, {"export", "--dir", dir_.string()}).stato, 0);
  }

  esito_processo vista(const std::vector<std::string>& extra) {
    std::vector<std::string> a = {"view", "--dir", dir_.string(), "--line", "Valmera-Lusa", "--train", "019"};
    a.insert(a.end(), extra.begin(), extra.end());
    return esegui(BINARIO_EXE, a);
  }

  // Chromium with nothing that reaches the network, its profile in the
  // temporary root; `azione` is --dump-dom or --screenshot=FILE.
  std::string apri(const fs::path& pagina, const std::string& azione) {
    const std::string profilo = cartella("profilo-" + std::to_string(++aperture_)).string();
    esito_processo e = esegui("/usr/bin/timeout",
                              {"120", *chromium_, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                               "--no-first-run", "--disable-background-networking", "--disable-component-update",
                               "--disable-sync", "--user-data-dir=" + profilo, "--window-size=1280,1800", azione,
                               "file://" + fs::absolute(pagina).string()});
    EXPECT_EQ(e.stato, 0) << e.err;
    return e.out;
  }

  std::optional<std::string> chromium_;
  fs::path dir_;
  int aperture_ = 0;
};

TEST_F(VistaNelBrowser, LaLineaIncorporataDisegnataPerIntero) {
  ASSERT_EQ(vista({}).stato, 0);
  const fs::path pagina = dir_ / "Valmera-Lusa_019.html";
  const std::string dom = apri(pagina, "--dump-dom");
  const std::string servizio = leggi(dir_ / "Valmera-Lusa_019-.txt");
  EXPECT_NE(dom.find("data-disegnato=\"1\""), std::string::npos) << "the page's script did not finish";
  for (const std::string svg : {"mappa", "profilo"}) {
    SCOPED_TRACE(svg);
    const std::vector<elemento> v = elementi(dom, svg);
    EXPECT_EQ(metri_di(v, "stazione"), posizioni(servizio, "stazione"));
    EXPECT_EQ(metri_di(v, "segnale"), posizioni(servizio, "segnale"));
    EXPECT_EQ(metri_di(v, "rallentamento"), posizioni(servizio, "rallentamento"));
    EXPECT_EQ(metri_di(v, "cartello").size(), 7u);
    EXPECT_EQ(metri_di(v, "indicatori"), (std::vector<int>{600, 24150}));
    EXPECT_EQ(metri_di(v, "montagna"), (std::vector<int>{350, 1600, 3000}));
    EXPECT_TRUE(metri_di(v, "errore").empty());
  }
  EXPECT_EQ(metri_di(elementi(dom, "mappa"), "stazione").size(), 13u);
  for (const char* nome : {"VALMERA PORTA ALTA", "PIANE DI RUO", "LUSA STAZIONE MARE"})
    EXPECT_NE(dom.find(std::string(">") + nome + "</text>"), std::string::npos) << nome;

  // The scale bar says how many metres its drawn width covers.
  std::smatch m;
  ASSERT_TRUE(std::regex_search(dom, m, std::regex("data-metri-per-pixel=\"([0-9.e+-]+)\"")));
  const double mpp = std::stod(m[1]);
  ASSERT_TRUE(std::regex_search(dom, m, std::regex("id=\"barra-scala\" data-metri=\"([0-9.]+)\" data-pixel=\"([0-9.e+-]+)\"")));
  EXPECT_NEAR(std::stod(m[1]) / std::stod(m[2]), mpp, mpp * 1e-9);

  // The picture is kept for a person to look at.
  const fs::path artefatto = fs::current_path() / "artifacts" / "vista.png";
  fs::create_directories(artefatto.parent_path());
  apri(pagina, "--screenshot=" + artefatto.string());
  EXPECT_GT(fs::file_size(artefatto), 10000u);
}

TEST_F(VistaNelBrowser, LeDiagnosticheDiUnaCopiaGuastaAlLoroMetro) {
  std::string servizio = leggi(dir_ / "Valmera-Lusa_019-.txt");
  servizio.replace(servizio.find("segnale,    1600"), 16, "segnale,    2350");  // on a station's stop cell
  scrivi(dir_ / "Valmera-Lusa_019-.txt", servizio);
  std::string linea = leggi(dir_ / "Valmera-Lusa_linea.txt");
  linea.replace(linea.find("[pendenze]"), 10, "[pendenze]\r\npendneza, 100, 2");
  scrivi(dir_ / "Valmera-Lusa_linea.txt", linea);

  ASSERT_EQ(vista({"--out", (radice_ / "guasta.html").string()}).stato, 1);
  EXPECT_FALSE(fs::exists(dir_ / "Valmera-Lusa_019.sim")) << "view must not write the binary files";
  const std::string dom = apri(radice_ / "guasta.html", "--dump-dom");
  for (const std::string svg : {"mappa", "profilo"})
    EXPECT_EQ(metri_di(elementi(dom, svg), "errore"), (std::vector<int>{2350})) << svg;
  EXPECT_NE(dom.find("Valmera-Lusa_019-.txt:30: errore 16 al metro 2350"), std::string::npos);
  EXPECT_NE(dom.find("Valmera-Lusa_linea.txt:47: avviso"), std::string::npos);
}

TEST_F(VistaNelBrowser, DaiSoliBinariLeStesseCose) {
  ASSERT_EQ(vista({}).stato, 0);
  ASSERT_EQ(esegui(BINARIO_EXE, {"compile", "--dir", dir_.string(), "--line", "Valmera-Lusa", "--train", "019"}).stato, 0);
  fs::remove(dir_ / "Valmera-Lusa_linea.txt");
  fs::remove(dir_ / "Valmera-Lusa_019-.txt");
  ASSERT_EQ(vista({"--binari", "--out", (radice_ / "binari.html").string()}).stato, 0);
  const std::string testi = apri(dir_ / "Valmera-Lusa_019.html", "--dump-dom");
  const std::string binari = apri(radice_ / "binari.html", "--dump-dom");
  for (const std::string svg : {"mappa", "profilo"}) {
    const std::vector<elemento> a = elementi(testi, svg);
    EXPECT_GT(a.size(), 40u) << svg;
    EXPECT_EQ(a, elementi(binari, svg)) << svg;
  }
  const auto tabelle = [](const std::string& dom) {
    const size_t inizio = dom.find("<section id=\"tabelle\">");
    return dom.substr(inizio, dom.find("</section>", inizio) - inizio);
  };
  EXPECT_EQ(tabelle(testi), tabelle(binari));
}

}  // namespace
}  // namespace binario::test
