// The built-in scenario through `binario export` and `binario compile`
// against what genera writes, and the tool's command line itself.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "tools/processo_test.h"

namespace binario::test {
namespace {

namespace fs = std::filesystem;

class BinarioGenera : public CartellaTemporanea {};

TEST_F(BinarioGenera, ExportPoiCompileRiproduceGenera) {
  // genera writes next to itself: run a copy in a directory of its own.
  const fs::path g = cartella("genera");
  fs::copy_file(BINARIO_GENERA, g / "genera");
  const esito_processo gen = esegui((g / "genera").string(), {});
  ASSERT_EQ(gen.stato, 0) << gen.err;

  const fs::path a = radice_ / "autore" / "nuova";  // created by export
  const esito_processo exp = esegui(BINARIO_EXE, {"export", "--dir", a.string(), "--documents"});
  ASSERT_EQ(exp.stato, 0) << exp.err;
  const std::vector<std::string> testi = {"Valmera-Lusa_linea.txt", "Valmera-Lusa_019-.txt"};
  const std::vector<std::string> documenti = {"Valmera-Lusa_019_note.txt", "Valmera-Lusa_019_rallentamenti.txt",
                                              "Valmera-Lusa_019_scheda_treno.txt"};
  std::string elenco;
  for (const auto* gruppo : {&testi, &documenti})
    for (const std::string& f : *gruppo) elenco += (a / f).string() + "\n";
  EXPECT_EQ(exp.out, elenco);
  for (const std::string& f : documenti) EXPECT_EQ(leggi(a / f), leggi(g / f)) << f;
  const std::string linea = leggi(a / testi[0]), servizio = leggi(a / testi[1]);
  EXPECT_FALSE(linea.empty());
  EXPECT_FALSE(servizio.empty());

  const esito_processo comp =
      esegui(BINARIO_EXE, {"compile", "--dir", a.string(), "--line", "Valmera-Lusa", "--train", "019"});
  EXPECT_EQ(comp.stato, 0) << comp.err;
  // The template is the author's starting point: a warning on it would be a false alarm.
  EXPECT_NE(comp.err.find("nessun errore, nessun avviso"), std::string::npos) << comp.err;
  for (const char* f : {"Valmera-Lusa_019.sim", "Valmera-Lusa_019.dat", "Valmera-Lusa_linea.dat"}) {
    ASSERT_TRUE(fs::exists(g / f)) << f;
    EXPECT_TRUE(leggi(a / f) == leggi(g / f)) << f << " differisce da quello di genera";
  }
  EXPECT_EQ(leggi(a / testi[0]), linea);
  EXPECT_EQ(leggi(a / testi[1]), servizio);
}

class BinarioRigaDiComando : public CartellaTemporanea {};

TEST_F(BinarioRigaDiComando, AiutoVersioneEUsoSbagliato) {
  struct Caso {
    std::vector<std::string> args;
    int stato;
    std::string in_out;  // found in standard output
    std::string in_err;  // found in standard error
  };
  const std::vector<Caso> casi = {
      {{"--version"}, 0, "binario 0.1.0\n", ""},
      {{"--help"}, 0, "compile", ""},
      {{"export", "--help"}, 0, "--documents", ""},
      {{"compile", "--help"}, 0, "--no-plan", ""},
      {{"dump", "--help"}, 0, "--kind", ""},
      {{}, 2, "", "subcommand"},
      {{"compila"}, 2, "", "subcommand"},
      {{"compile", "--dir", "x", "--line", "L"}, 2, "", "--train"},
      {{"dump", "x.dat", "--kind", "voci"}, 2, "", "--kind"},
      {{"dump", "x.txt"}, 2, "", "binario: x.txt: tipo di file sconosciuto dal nome"},
      {{"dump", (radice_ / "manca.dat").string()}, 2, "", "binario: Errore 53: File not found"},
  };
  for (const Caso& c : casi) {
    std::string nome;
    for (const std::string& a : c.args) nome += a + " ";
    SCOPED_TRACE(nome);
    const esito_processo e = esegui(BINARIO_EXE, c.args);
    EXPECT_EQ(e.stato, c.stato) << e.err;
    EXPECT_NE(e.out.find(c.in_out), std::string::npos) << e.out;
    EXPECT_NE(e.err.find(c.in_err), std::string::npos) << e.err;
  }
}

TEST_F(BinarioRigaDiComando, ExportInUnaCartellaImpossibile) {
  const fs::path file = radice_ / "un_file";
  scrivi(file, "x");
  const esito_processo e = esegui(BINARIO_EXE, {"export", "--dir", (file / "sotto").string()});
  EXPECT_EQ(e.stato, 2);
  EXPECT_NE(e.err.find("binario: impossibile creare la cartella"), std::string::npos) << e.err;
}

}  // namespace
}  // namespace binario::test

namespace binario::test {
namespace {

namespace fs = std::filesystem;

// check, explain, --strict and export's refusal to overwrite, through the
// built executable: what each writes and how each exits.
TEST_F(BinarioRigaDiComando, CheckExplainStrictEExport) {
  const fs::path a = cartella("autore");
  const std::string d = a.string();
  const esito_processo exp = esegui(BINARIO_EXE, {"export", "--dir", d, "--line", "Nuova", "--train", "5"});
  ASSERT_EQ(exp.stato, 0) << exp.err;
  EXPECT_EQ(exp.out, (a / "Nuova_linea.txt").string() + "\n" + (a / "Nuova_5-.txt").string() + "\n");
  const std::string servizio = leggi(a / "Nuova_5-.txt");

  // An edited text is never overwritten without --force.
  const esito_processo di_nuovo = esegui(BINARIO_EXE, {"export", "--dir", d, "--line", "Nuova", "--train", "5"});
  EXPECT_EQ(di_nuovo.stato, 2);
  EXPECT_NE(di_nuovo.err.find("--force"), std::string::npos) << di_nuovo.err;
  EXPECT_EQ(leggi(a / "Nuova_5-.txt"), servizio);
  EXPECT_EQ(esegui(BINARIO_EXE, {"export", "--dir", d, "--line", "Nuova", "--train", "5", "--force"}).stato, 0);

  struct caso {
    std::vector<std::string> args;
    int stato;
    std::string nell_uscita;  // in standard output or standard error
  };
  // A key with another case compiles (a warning); --strict makes it fail.
  std::string testo = servizio;
  testo.replace(testo.find("sabbia"), 6, "Sabbia");
  scrivi(a / "Nuova_5-.txt", testo);
  const std::vector<caso> casi = {
      {{"check", "--dir", d, "--line", "Nuova", "--train", "5"}, 0, "avviso"},
      {{"check", "--dir", d, "--line", "Nuova", "--train", "5", "--strict"}, 1, "è stata presa per la chiave \"sabbia\""},
      {{"check", "--dir", d, "--line", "Nuova", "--train", "55"}, 1, "forse intendevi Nuova_5-.txt?"},
      {{"explain", "16"}, 0, "segnale-cella-occupata"},
      {{"explain", "pendenza"}, 0, "valore 2: pendenza"},
      {{"explain", "pendneza"}, 2, "forse intendevi \"pendenza\"?"},
      {{"check", "--dir", d, "--line", "Nuova", "--trian", "5"}, 2, "forse intendevi \"--train\"?"},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(c.args[0] + " " + c.args.back());
    const esito_processo e = esegui(BINARIO_EXE, c.args);
    EXPECT_EQ(e.stato, c.stato) << e.err;
    EXPECT_NE((e.out + e.err).find(c.nell_uscita), std::string::npos) << e.out << e.err;
  }
  const esito_processo json = esegui(BINARIO_EXE, {"check", "--dir", d, "--line", "Nuova", "--train", "5", "--json"});
  EXPECT_EQ(nlohmann::json::parse(json.out)["warnings"][0]["id"], "chiave-approssimata");
  // check writes nothing.
  for (const char* f : {"Nuova_5.sim", "Nuova_5.dat", "Nuova_linea.dat"}) EXPECT_FALSE(fs::exists(a / f)) << f;
}

}  // namespace
}  // namespace binario::test
