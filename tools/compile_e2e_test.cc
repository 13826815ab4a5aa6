// `binario compile` through the built executable, on the small test line.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <vector>

#include "tools/messaggi.h"
#include "tools/processo_test.h"
#include "tools/scenario_prova_test.h"

namespace binario::test {
namespace {

namespace fs = std::filesystem;

enum class quale { linea, servizio };

struct modifica {
  quale file;
  int riga;          // 1-based; the line replaced
  std::string testo; // may hold several lines joined by CR LF; empty removes the line
};

class BinarioCompila : public CartellaTemporanea {
 protected:
  void SetUp() override {
    CartellaTemporanea::SetUp();
    dir = cartella("autore");
    linea = (dir / "Prova_linea.txt").string();
    servizio = (dir / "Prova_7-.txt").string();
  }

  void prepara(const std::vector<modifica>& modifiche, bool senza_linea = false, bool senza_servizio = false) {
    std::vector<std::string> l = righe_linea_prova();
    std::vector<std::string> s = righe_servizio_prova();
    // From the last line up, so that earlier line numbers stay valid.
    for (auto it = modifiche.rbegin(); it != modifiche.rend(); ++it) {
      std::vector<std::string>& righe = it->file == quale::linea ? l : s;
      auto pos = righe.begin() + (it->riga - 1);
      if (it->testo.empty())
        righe.erase(pos);
      else
        *pos = it->testo;
    }
    if (!senza_linea) scrivi(linea, testo(l));
    if (!senza_servizio) scrivi(servizio, testo(s));
  }

  esito_processo compila(std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"compile", "--dir", dir.string(), "--line", "Prova", "--train", "7"};
    args.insert(args.end(), extra.begin(), extra.end());
    return esegui(BINARIO_EXE, args);
  }

  fs::path dir;
  std::string linea;
  std::string servizio;
};

const std::vector<std::string> kTuttiIFile = {"Prova_linea.dat", "Prova_7.sim", "Prova_7.dat"};

TEST_F(BinarioCompila, LineaCorrettaSenzaErrori) {
  prepara({});
  const std::string prima_l = leggi(linea), prima_s = leggi(servizio);
  const esito_processo e = compila();
  EXPECT_EQ(e.stato, 0) << e.err;
  EXPECT_EQ(e.err, "binario: nessun errore, nessun avviso; scritti: Prova_linea.dat Prova_7.sim Prova_7.dat\n");
  // The author's source stays, byte for byte, after the reader has "deleted" it.
  EXPECT_EQ(leggi(linea), prima_l);
  EXPECT_EQ(leggi(servizio), prima_s);
  EXPECT_EQ(fs::file_size(dir / "Prova_7.dat"), 241u * 15);

  // Without the plan the plan file is neither written nor touched.
  fs::remove(dir / "Prova_linea.dat");
  const esito_processo senza = compila({"--no-plan", "--json"});
  EXPECT_EQ(senza.stato, 0);
  EXPECT_EQ(nlohmann::json::parse(senza.out)["files"], (std::vector<std::string>{"Prova_7.sim", "Prova_7.dat"}));
  EXPECT_FALSE(fs::exists(dir / "Prova_linea.dat"));
}

struct caso_rotto {
  const char* nome;
  std::vector<modifica> modifiche;
  bool senza_linea = false;
  bool senza_servizio = false;
  int stato;
  int32_t codice;
  std::optional<int32_t> posizione;  // of the error left in codice_errore
  quale file;
  int riga;                          // 0 = none
  std::optional<int32_t> cella;      // post-pass errors
  std::optional<std::string> fatale;
  bool scritti;                      // the three binary files were written
  int colonna = 0;                   // of the field at fault; 0 = none
};

const std::string kSegnaliCheChiudono =
    "segnale,    2150,  2,  4,  0,  0,  0,  0,  0,  0,  0,  0\r\n"   // cells 44, 45, 46: the first
    "segnale,    2200,  2,  4,  0,  0,  0,  0,  0,  0,  0,  0\r\n"   // window before the slowdown
    "segnale,    2250,  2,  4,  0,  0,  0,  0,  0,  0,  0,  0\r\n"   // start (cell 51)
    "segnale,    2650,  2,  4,  0,  0,  0,  0,  0,  0,  0,  0\r\n"   // cell 54, and 56 after the
    "segnale,    2750,  2,  4,  0,  0,  0,  0,  0,  0,  0,  0\r\n"   // end (cell 55)
    "[fine]";

const std::vector<caso_rotto> kCasiRotti = {
    {"segnale nella cella di un altro", {{quale::servizio, 15, "segnale,  560,  2,  4,  0,  0,  0,  0,  0,  0,  0,  0"}},
     false, false, 1, 16, 560, quale::servizio, 15, std::nullopt, std::nullopt, true, 11},
    {"stazione fuori dai 50 metri",
     {{quale::servizio, 10, "stazione,   3025, 12,  300,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  10,  35,  0,  TORVELA"}},
     false, false, 1, 8, 3025, quale::servizio, 10, std::nullopt, std::nullopt, true, 13},
    {"velocita oltre la griglia", {{quale::servizio, 7, "velocita,  99999,   90"}},
     false, false, 1, 15, 99999, quale::servizio, 7, std::nullopt, std::nullopt, true, 12},
    {"due cartelli nella stessa cella",
     {{quale::linea, 8, "cartello_indicatore,   4010,(   SECONDO   )\r\n[fine]"}},
     false, false, 1, 6, 4010, quale::linea, 8, std::nullopt, std::nullopt, true, 24},
    {"manca [generale]", {{quale::linea, 1, "[generalita]"}},
     false, false, 1, 102, std::nullopt, quale::linea, 0, std::nullopt, std::nullopt, false},
    {"manca il file della linea", {}, true, false, 1, 101, std::nullopt, quale::linea, 0, std::nullopt, std::nullopt,
     false},
    {"manca il file del servizio", {}, false, true, 1, 25, std::nullopt, quale::servizio, 0, std::nullopt,
     std::nullopt, true},
    {"post-pass senza celle libere", {{quale::servizio, 16, kSegnaliCheChiudono}},
     // Post-pass errors point at the slowdown they were placing marks for.
     false, false, 1, 13, 2750, quale::servizio, 12, 55, std::nullopt, true},
    {"cartello nella cella dei segni di formato", {{quale::linea, 7, "cartello_indicatore,      0,(   PROVA   )"}},
     false, false, 3, 0, std::nullopt, quale::linea, 0, std::nullopt, "1250", false},
};

TEST_F(BinarioCompila, IngressiRotti) {
  for (const caso_rotto& c : kCasiRotti) {
    SCOPED_TRACE(c.nome);
    for (const std::string& f : kTuttiIFile) fs::remove(dir / f);
    fs::remove(linea);
    fs::remove(servizio);
    prepara(c.modifiche, c.senza_linea, c.senza_servizio);
    const std::string prima_l = c.senza_linea ? "" : leggi(linea);
    const std::string prima_s = c.senza_servizio ? "" : leggi(servizio);

    const esito_processo testo_e = compila();
    EXPECT_EQ(testo_e.stato, c.stato) << testo_e.err;
    const std::string file = c.file == quale::linea ? linea : servizio;
    std::string atteso;
    if (c.fatale) {
      atteso = "binario: errore " + *c.fatale + ": " + std::string(messaggio_errore(std::stoi(*c.fatale))) + "\n";
    } else {
      atteso = file + (c.riga > 0 ? ":" + std::to_string(c.riga) : "") +
               (c.colonna > 0 ? ":" + std::to_string(c.colonna) : "") + ": errore " + std::to_string(c.codice);
      if (c.cella)
        atteso += " alla cella " + std::to_string(*c.cella) + " (metro " + std::to_string(*c.posizione) + ")";
      else if (c.posizione)
        atteso += " al metro " + std::to_string(*c.posizione);
      const std::string_view m = c.senza_servizio ? kMessaggioServizioMancante : messaggio_errore(c.codice);
      atteso += ": " + std::string(m) + " [resta in codice_errore]\n";
    }
    EXPECT_NE(testo_e.err.find(atteso), std::string::npos) << "atteso:\n" << atteso << "avuto:\n" << testo_e.err;
    for (const std::string& f : kTuttiIFile) EXPECT_EQ(fs::exists(dir / f), c.scritti) << f;
    if (!c.senza_linea) {
      EXPECT_EQ(leggi(linea), prima_l);
    }
    if (!c.senza_servizio) {
      EXPECT_EQ(leggi(servizio), prima_s);
    }

    const esito_processo json_e = compila({"--json"});
    EXPECT_EQ(json_e.stato, c.stato);
    const nlohmann::json j = nlohmann::json::parse(json_e.out);
    if (c.fatale) {
      EXPECT_EQ(j["fatal"], *c.fatale);
      continue;
    }
    EXPECT_EQ(j["fatal"], nullptr);
    EXPECT_EQ(j["codice_errore"], c.codice);
    if (c.posizione) {
      EXPECT_EQ(j["posizione_errore"], *c.posizione);
    }
    EXPECT_EQ(j["line"], c.riga > 0 ? nlohmann::json(c.riga) : nlohmann::json(nullptr));
    EXPECT_EQ(j["message"], c.senza_servizio ? std::string(kMessaggioServizioMancante)
                                              : std::string(messaggio_errore(c.codice)));
    ASSERT_FALSE(j["errors"].empty());
    EXPECT_EQ(j["errors"].back()["final"], true);
    EXPECT_EQ(j["files"], c.scritti ? kTuttiIFile : std::vector<std::string>{});
  }
}

// The post-pass goes on after an error: every error shows, in the order found,
// and only the last is the one codice_errore keeps.
TEST_F(BinarioCompila, OgniErroreInOrdine) {
  prepara({{quale::servizio, 16, kSegnaliCheChiudono}});
  const esito_processo e = compila({"--json"});
  const nlohmann::json errori = nlohmann::json::parse(e.out)["errors"];
  ASSERT_EQ(errori.size(), 2u) << e.out;
  EXPECT_EQ(errori[0]["code"], 12);
  EXPECT_EQ(errori[0]["cell"], 51);
  EXPECT_EQ(errori[0]["position"], 2550);
  EXPECT_EQ(errori[0]["final"], false);
  EXPECT_EQ(errori[1]["code"], 13);
  EXPECT_EQ(errori[1]["final"], true);
}

// A reader error ends the reading: the output says so at that line, since the
// lines after it were never checked.
TEST_F(BinarioCompila, LetturaInterrotta) {
  prepara({{quale::servizio, 10, "stazione,   3025, 12,  300,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  10,  35,  0,  TORVELA"}});
  const esito_processo e = compila();
  EXPECT_EQ(e.err,
            servizio + ":10:13: errore 8 al metro 3025: " + std::string(messaggio_errore(8)) + " [resta in codice_errore]\n" +
                "    10 | stazione,   3025, 12,  300,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  10,  35,  0,  TORVELA\n" +
                "       |             ^~~~\n" +
                "    suggerimento: scrivi \"3050\"\n" +
                servizio + ":10: nota: la lettura del file si è fermata a questo errore: le righe seguenti non " +
                "entrano nei file binari; quel che vi si trova ancora è segnato \"dopo l'arresto\"\n" +
                "binario: 1 errore, nessun avviso; codice_errore 8, posizione_errore 3025; scritti: Prova_linea.dat " +
                "Prova_7.sim Prova_7.dat\n");
  EXPECT_EQ(nlohmann::json::parse(compila({"--json"}).out)["reading_stopped"], true);
}

// What the reader passes over gives one warning per source line, and never an
// error: the values of a misspelt key are part of the same mistake.
TEST_F(BinarioCompila, AvvisiPerCioCheIlLettoreSalta) {
  struct Caso {
    std::string riga5;
    std::string_view messaggio;
    std::vector<std::string> campi;
    std::string colonna_e_segno;  // where the field starts, and the marker line under it
    std::string seguito;          // the did-you-mean, when there is one
  };
  const std::vector<Caso> casi = {
      {"pendneza,    2000,   -8", kMessaggioChiaveIgnorata, {"pendneza", "2000"}, "1\n      | ^~~~~~~~",
       "; forse intendevi \"pendenza\"?"},
      {"pendenza,    2000,   -8,   5", kMessaggioValoreInPiu, {"5"}, "28\n      |                            ^", ""},
  };
  for (const Caso& c : casi) {
    SCOPED_TRACE(c.riga5);
    prepara({{quale::linea, 5, c.riga5}});
    const esito_processo e = compila();
    EXPECT_EQ(e.stato, 0) << e.err;
    const std::string colonna = c.colonna_e_segno.substr(0, c.colonna_e_segno.find('\n'));
    const std::string segno = c.colonna_e_segno.substr(c.colonna_e_segno.find('\n') + 1);
    EXPECT_EQ(e.err, linea + ":5:" + colonna + ": avviso: \"" + c.campi.front() + "\" " + std::string(c.messaggio) +
                         c.seguito + "\n" + "    5 | " + c.riga5 + "\n" + segno + "\n" +
                         (c.seguito.empty() ? "" : "    suggerimento: scrivi \"pendenza\"\n") +
                         "binario: nessun errore, 1 avviso; scritti: Prova_linea.dat Prova_7.sim Prova_7.dat\n");
    const nlohmann::json j = nlohmann::json::parse(compila({"--json"}).out);
    ASSERT_EQ(j["warnings"].size(), 1u);
    EXPECT_EQ(j["warnings"][0]["line"], 5);
    EXPECT_EQ(j["warnings"][0]["fields"], c.campi);
  }
}

// A binary file that cannot be written stops the compile with status 2; the
// files before it are complete and listed.
TEST_F(BinarioCompila, FileNonScrivibile) {
  prepara({});
  fs::create_directory(dir / "Prova_7.sim");  // the header file cannot take its name
  const esito_processo e = compila();
  EXPECT_EQ(e.stato, 2);
  EXPECT_EQ(e.err.rfind("binario: Errore 75: Path/File access error: a directory has this name (" +
                            (dir / "Prova_7.sim").string() + ")\n",
                        0),
            0u)
      << e.err;
  EXPECT_NE(e.err.find("\nbinario: compilazione interrotta da un errore di file; nessun errore, nessun avviso; "
                       "scritti: Prova_linea.dat\n"),
            std::string::npos)
      << e.err;
  const nlohmann::json j = nlohmann::json::parse(compila({"--json"}).out);
  EXPECT_EQ(j["files"], std::vector<std::string>{"Prova_linea.dat"});
  EXPECT_NE(j["failure"], nullptr);
  EXPECT_TRUE(fs::is_empty(dir / "Prova_7.sim"));
}

TEST_F(BinarioCompila, NomiRifiutatiPrimaDiLeggere) {
  struct Caso {
    std::string opzione, valore, messaggio;
  };
  const std::vector<Caso> casi = {
      {"--line", "../Prova", "binario: --line rifiutato: contiene \"..\"\n"},
      {"--line", "sub/Prova", "binario: --line rifiutato: contiene un separatore di percorso\n"},
      {"--train", "", "binario: --train rifiutato: è vuoto\n"},
      {"--train", "7\t", "binario: --train rifiutato: contiene un carattere di controllo\n"},
  };
  // The directory does not exist: the name is refused before it is looked at.
  const std::string assente = (radice_ / "assente").string();
  for (const Caso& c : casi) {
    std::vector<std::string> args = {"compile", "--dir", assente, "--line", "Prova", "--train", "7"};
    args[c.opzione == "--line" ? 4 : 6] = c.valore;
    const esito_processo e = esegui(BINARIO_EXE, args);
    EXPECT_EQ(e.stato, 2) << c.valore;
    EXPECT_EQ(e.err, c.messaggio);
  }
  const esito_processo e = esegui(BINARIO_EXE, {"compile", "--dir", assente, "--line", "Prova", "--train", "7"});
  EXPECT_EQ(e.stato, 2);
  EXPECT_EQ(e.err, "binario: la cartella " + assente + " non esiste\n");
}

}  // namespace
}  // namespace binario::test
