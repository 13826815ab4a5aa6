// `binario dump` of the files a compile of the small test line writes.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <sstream>
#include <string>
#include <vector>

#include "tools/processo_test.h"
#include "tools/scenario_prova_test.h"

namespace binario::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> righe(const std::string& testo) {
  std::vector<std::string> r;
  std::istringstream in(testo);
  for (std::string riga; std::getline(in, riga);) r.push_back(riga);
  return r;
}

class BinarioDumpFile : public CartellaTemporanea {
 protected:
  void SetUp() override {
    CartellaTemporanea::SetUp();
    dir = cartella("d");
    scrivi(dir / "Prova_linea.txt", testo(righe_linea_prova()));
    scrivi(dir / "Prova_7-.txt", testo(righe_servizio_prova()));
    const esito_processo e = esegui(BINARIO_EXE, {"compile", "--dir", dir.string(), "--line", "Prova", "--train", "7"});
    ASSERT_EQ(e.stato, 0) << e.err;
  }
  esito_processo dump(const fs::path& file, std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"dump", file.string()};
    args.insert(args.end(), extra.begin(), extra.end());
    return esegui(BINARIO_EXE, args);
  }
  fs::path dir;
};

TEST_F(BinarioDumpFile, UnaRigaPerRecordDiOgniTipo) {
  struct Caso {
    const char* file;
    std::vector<std::string> opzioni;
    size_t righe;
    size_t indice;          // a line to look at
    std::string inizio;     // how it starts
  };
  // 5000 + 7000 metres: cells 0..240, plan metres 0..12000.
  const std::vector<Caso> casi = {
      {"Prova_7.sim", {}, 87, 85, "voce 85: tipo=0 inizio_zona=0 fine_zona=0 posizione=0 colonna_4=0 nome=\"Prova\" colonna_7=610 "},
      {"Prova_7.sim", {}, 87, 80, "voce 80: tipo=0 inizio_zona=0 fine_zona=0 posizione=0 colonna_4=0 nome=\"(     PRIMO   )(   CAVALCAVIA)(      4.000  )\""},
      {"Prova_7.dat", {}, 241, 1, "cella 1: metri=50-100 tipo=vuota valore_a=5121 "},
      {"Prova_7.dat", {}, 241, 81, "cella 81: metri=4050-4100 tipo=cartello metro=4000 valore_a=80 "},
      {"Prova_linea.dat", {}, 12001, 1, "metro 1: x=0 y=1"},
      {"Prova_linea.dat", {}, 12001, 12000, "metro 12000: x=vuoto y=vuoto"},
      // Without the empty records: the slots never written, the cells with
      // nothing but profiles, the metres the plan did not reach.
      {"Prova_7.sim", {"--non-vuote"}, 6, 0, "voce 1: "},
      {"Prova_7.dat", {"--non-vuote"}, 13, 0, "cella 1: "},
      {"Prova_linea.dat", {"--non-vuote"}, 11999, 11998, "metro 11998: x=0.0 y=11998.0"},
      // The summary from either file of the train.
      {"Prova_7.sim", {"--riepilogo"}, 15, 0, "linea \"Prova\" treno \"7\" lunghezza 5000 m"},
      {"Prova_7.dat", {"--riepilogo"}, 15, 3, "segnale cella 12: metro 550 km 0.550 aspetti 40/0/0"},
  };
  for (const Caso& c : casi) {
    SCOPED_TRACE(std::string(c.file) + (c.opzioni.empty() ? "" : " " + c.opzioni[0]));
    const esito_processo e = dump(dir / c.file, c.opzioni);
    ASSERT_EQ(e.stato, 0) << e.err;
    const std::vector<std::string> r = righe(e.out);
    ASSERT_EQ(r.size(), c.righe);
    EXPECT_EQ(r[c.indice].substr(0, c.inizio.size()), c.inizio);
  }
}

TEST_F(BinarioDumpFile, RiepilogoSoloDaiFileDiUnTreno) {
  fs::copy_file(dir / "Prova_7.dat", dir / "griglia.bin");
  for (const char* file : {"Prova_linea.dat", "griglia.bin"}) {
    const esito_processo e = dump(dir / file, {"--kind", "grid", "--riepilogo"});
    EXPECT_EQ(e.stato, 2) << file;
    EXPECT_EQ(e.out, "");
  }
  fs::remove(dir / "Prova_7.sim");
  const esito_processo e = dump(dir / "Prova_7.dat", {"--riepilogo"});
  EXPECT_EQ(e.stato, 2);
  EXPECT_NE(e.err.find("Prova_7.sim: il file non esiste"), std::string::npos) << e.err;
}

TEST_F(BinarioDumpFile, JsonETipoIndicato) {
  fs::copy_file(dir / "Prova_7.dat", dir / "griglia.bin");
  const esito_processo e = dump(dir / "griglia.bin", {"--kind", "grid", "--json"});
  ASSERT_EQ(e.stato, 0) << e.err;
  const nlohmann::json j = nlohmann::json::parse(e.out);
  ASSERT_EQ(j.size(), 241u);
  EXPECT_EQ(j[1]["cella"], 1);
  EXPECT_EQ(j[1]["valore_a"], 5121);
}

TEST_F(BinarioDumpFile, FileTroncato) {
  const std::string dati = leggi(dir / "Prova_7.dat");
  const fs::path troncato = dir / "Prova_8.dat";
  scrivi(troncato, dati.substr(0, dati.size() - 7));
  const esito_processo e = dump(troncato);
  EXPECT_EQ(e.stato, 2);
  EXPECT_EQ(e.out, "");
  EXPECT_EQ(e.err, "binario: " + troncato.string() + ": byte 3600: cella 240: record incompleto: servono 15 byte, "
                       "ne restano 8\n");
}

}  // namespace
}  // namespace binario::test
