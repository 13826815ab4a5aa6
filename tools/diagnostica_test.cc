// An author's mistakes, each a small pair of texts in testdata/errori/, and
// the diagnostics they must give: place, column, check and related line.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/form1.h"
#include "base/memfs.h"
#include "compile/codici.h"
#include "sources/chiavi.h"
#include "tools/compila.h"
#include "tools/spiega.h"

namespace binario {
namespace {

namespace fs = std::filesystem;

std::string leggi(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string nome(const std::string& file) { return fs::path(file).filename().string(); }

std::string correlati(const dettagli_diagnostica& d) {
  std::string out;
  for (const nota_correlata& n : d.correlati) out += " ->" + nome(n.file) + ":" + std::to_string(n.riga);
  return out;
}

// One line per diagnostic, the fields a test must pin down.
std::string riassunto(const esito_compilazione& e) {
  std::string out;
  for (const avviso& a : e.avvisi)
    out += "avviso " + nome(a.file) + ":" + std::to_string(a.riga) + ":" + std::to_string(a.colonna.value_or(0)) + " " +
           a.id + correlati(a) + (a.suggerimento ? " [" + *a.suggerimento + "]" : "") +
           (a.dopo_arresto ? " dopo" : "") + "\n";
  for (const diagnostica& d : e.errori)
    out += "errore " + std::to_string(d.codice) + " " + nome(d.file) + ":" + std::to_string(d.riga) + ":" +
           std::to_string(d.colonna.value_or(0)) + " " + d.id + correlati(d) +
           (d.suggerimento ? " [" + *d.suggerimento + "]" : "") + (d.finale ? " finale" : "") +
           (d.dopo_arresto ? " dopo" : "") + "\n";
  return out;
}

esito_compilazione compila_caso(const fs::path& cartella, bool scrivi = false) {
  MemFileSystem disco;
  for (const char* f : {"Prova_linea.txt", "Prova_7-.txt"}) disco.files()[std::string("/d/") + f] = leggi(cartella / f);
  richiesta_compilazione r{"/d", "Prova", "7", true};
  r.scrivi = scrivi;
  return compila(disco, r);
}

TEST(BinarioDiagnostica, ErroriDiAutore) {
  const fs::path radice = fs::path(BINARIO_SOURCE_DIR) / "tools" / "testdata" / "errori";
  int casi = 0;
  for (const auto& voce : fs::directory_iterator(radice)) {
    SCOPED_TRACE(voce.path().filename().string());
    ++casi;
    const esito_compilazione e = compila_caso(voce.path());
    EXPECT_EQ(riassunto(e), leggi(voce.path() / "atteso.txt"));
    // Every case also renders as text and as JSON: a diagnostic without a
    // line, a field or a column must not break either.
    EXPECT_FALSE(testo_diagnostica(e).empty());
    EXPECT_FALSE(json_compilazione(e).dump().empty());
  }
  EXPECT_GT(casi, 0);
}

// What check finds it finds without writing, and compile with it keeps every
// code, metre and byte it had: the diagnostics only add.
TEST(BinarioDiagnostica, CheckNonScriveECompileNonCambia) {
  const fs::path caso = fs::path(BINARIO_SOURCE_DIR) / "tools" / "testdata" / "errori" / "quattro-errori";
  const esito_compilazione controllo = compila_caso(caso, false);
  EXPECT_TRUE(controllo.file_scritti.empty());
  const esito_compilazione compilato = compila_caso(caso, true);
  EXPECT_EQ(compilato.file_scritti.size(), 3u);
  EXPECT_EQ(controllo.codice_errore, compilato.codice_errore);
  EXPECT_EQ(controllo.posizione_errore, compilato.posizione_errore);
  EXPECT_EQ(riassunto(controllo), riassunto(compilato));
}

TEST(BinarioDiagnostica, TestoConColonnaEAccento) {
  const fs::path caso = fs::path(BINARIO_SOURCE_DIR) / "tools" / "testdata" / "errori" / "segnale-su-segnale";
  const std::string t = testo_diagnostica(compila_caso(caso));
  EXPECT_NE(t.find("/d/Prova_7-.txt:15:14: errore 16 al metro 560: "), std::string::npos) << t;
  EXPECT_NE(t.find("    15 | segnale,     560,  2,  4,  0,  0,  0,  0,  0,  0,  0,  0\n"
                   "       |              ^~~\n"),
            std::string::npos)
      << t;
  EXPECT_NE(t.find("/d/Prova_7-.txt:14: nota: la cella è occupata da: segnale della riga 14 (metro 550)\n"),
            std::string::npos)
      << t;
}

TEST(BinarioDiagnostica, CaratteriDiControlloEscapati) {
  MemFileSystem disco;
  disco.files()["/d/Prova_linea.txt"] = "[generale]\r\nlunghezza percorso, 5000\r\npend\x1b[31menza, 0, 0\r\n[fine]\r\n";
  disco.files()["/d/Prova_7-.txt"] = "[generale]\r\n[fine]\r\n";
  const std::string t = testo_diagnostica(compila(disco, {"/d", "Prova", "7", true}));
  EXPECT_EQ(t.find('\x1b'), std::string::npos) << t;
  EXPECT_NE(t.find("pend\\x1b[31menza"), std::string::npos) << t;
}

// However many mistakes a text holds, at most kMassimoAvvisi diagnostics of
// each kind are kept, and the summary and the JSON say that others were not:
// a text of a million stray lines must not take gigabytes or hours.
TEST(BinarioDiagnostica, TroppeDiagnosticheSonoTroncate) {
  auto ripeti = [](const char* riga, int volte) {
    std::string t;
    for (int i = 0; i < volte; ++i) t += riga;
    return t;
  };
  const struct {
    const char* nome;
    std::string linea;
    size_t avvisi, errori;
    bool troncato;
  } casi[] = {
      {"a few stray lines", "[generale]\r\nlunghezza percorso, 5000\r\n[curve]\r\n" + ripeti("zz\r\n", 10) + "[fine]\r\n",
       10, 0, false},
      {"stray lines past the limit",
       "[generale]\r\nlunghezza percorso, 5000\r\n[curve]\r\n" + ripeti("zz\r\n", 1500) + "[fine]\r\n",
       kMassimoAvvisi, 0, true},
      {"bad values after the reading stopped",
       "[generale]\r\nlunghezza percorso, 1000001\r\n[curve]\r\n" + ripeti("pendenza, x, 0\r\n", 1500) + "[fine]\r\n",
       0, kMassimoAvvisi + 1, true},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.nome);
    MemFileSystem disco;
    disco.files()["/d/Prova_linea.txt"] = c.linea;
    disco.files()["/d/Prova_7-.txt"] = "[generale]\r\n[fine]\r\n";
    const esito_compilazione e = compila(disco, {"/d", "Prova", "7", true});
    size_t chiavi_sconosciute = 0;
    for (const avviso& a : e.avvisi) chiavi_sconosciute += a.riga > 3 && a.campi.front() == "zz";
    EXPECT_EQ(chiavi_sconosciute, c.avvisi);
    EXPECT_EQ(e.errori.size(), c.errori);
    EXPECT_LE(e.avvisi.size(), kMassimoAvvisi);
    EXPECT_EQ(e.troncato, c.troncato);
    EXPECT_EQ(testo_diagnostica(e).find("(troppi: se ne mostrano al più 1000 per tipo") != std::string::npos,
              c.troncato);
    EXPECT_EQ(json_compilazione(e)["truncated"], c.troncato);
  }
}

TEST(BinarioDiagnostica, JsonAggiungeIDettagli) {
  const fs::path caso = fs::path(BINARIO_SOURCE_DIR) / "tools" / "testdata" / "errori" / "segnale-su-segnale";
  const nlohmann::ordered_json j = json_compilazione(compila_caso(caso));
  const auto& e = j["errors"].back();
  EXPECT_EQ(e["column"], 14);
  EXPECT_EQ(e["end_column"], 17);
  EXPECT_EQ(e["id"], "segnale-cella-occupata");
  EXPECT_EQ(e["after_stop"], false);
  EXPECT_EQ(e["suggestion"], nullptr);
  ASSERT_EQ(e["related"].size(), 1u);
  EXPECT_EQ(e["related"][0]["line"], 14);
  for (const char* chiave : {"code", "position", "cell", "file", "line", "source", "message", "final", "stopped_reading"})
    EXPECT_TRUE(e.contains(chiave)) << chiave;
}

// The table is the one source: names unique, every code explained, the
// page in docs/ equal to what it generates.
TEST(BinarioDiagnostica, TabellaECodiciSpiegati) {
  std::set<std::string_view> nomi;
  for (const voce_codice& v : tabella_codici()) {
    EXPECT_TRUE(nomi.insert(v.id).second) << v.id;
    EXPECT_TRUE(spiega(std::to_string(v.codice)).has_value()) << v.codice;
    EXPECT_FALSE(v.causa.empty() || v.esempio.empty() || v.correzione.empty()) << v.codice;
  }
  for (const voce_chiave& k : tabella_chiavi()) EXPECT_TRUE(spiega(k.chiave).has_value()) << k.chiave;
  EXPECT_FALSE(spiega("14").has_value());
  EXPECT_EQ(parola_vicina("pendneza"), "pendenza");
  EXPECT_EQ(leggi(fs::path(BINARIO_SOURCE_DIR) / "docs" / "codici.md"), pagina_riferimento())
      << "rigenera con: binario explain --reference > docs/codici.md";
}

}  // namespace
}  // namespace binario
