// genera and `binario` in directories someone else may write into, and on
// inputs that are not what they claim: nothing outside the directory
// changes, no run hangs, two runs never mix their files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/filesystem.h"
#include "tools/compila.h"
#include "tools/processo_test.h"
#include "tools/scenario_prova_test.h"

namespace binario::test {
namespace {

namespace fs = std::filesystem;

using Contenuto = std::map<std::string, std::string>;

// The regular files of a directory, by name; anything else by its kind.
Contenuto contenuto(const fs::path& dir) {
  Contenuto c;
  for (const auto& e : fs::directory_iterator(dir)) {
    const std::string nome = e.path().filename().string();
    if (e.is_symlink())
      c[nome] = "<link " + fs::read_symlink(e.path()).string() + ">";
    else if (e.is_regular_file())
      c[nome] = leggi(e.path());
    else
      c[nome] = e.is_directory() ? "<directory>" : "<other>";
  }
  return c;
}

std::string differenze(const Contenuto& attesa, const Contenuto& reale) {
  std::string d;
  for (const auto& [n, dati] : attesa) {
    auto it = reale.find(n);
    if (it == reale.end()) d += "missing " + n + "; ";
    else if (it->second != dati) d += "changed " + n + "; ";
  }
  for (const auto& [n, _] : reale)
    if (attesa.count(n) == 0) d += "extra " + n + "; ";
  return d;
}

// One program under test: how to prepare its directory and run it there,
// and the outputs it writes.
struct Programma {
  std::string nome;
  std::vector<std::string> uscite;
};

const Programma kGenera{"genera",
                        {"Valmera-Lusa_linea.txt", "Valmera-Lusa_019-.txt", "Valmera-Lusa_019_note.txt",
                         "Valmera-Lusa_019_rallentamenti.txt", "Valmera-Lusa_019_scheda_treno.txt",
                         "Valmera-Lusa_linea.dat", "Valmera-Lusa_019.sim", "Valmera-Lusa_019.dat"}};
const Programma kCompila{"compile", {"Prova_linea.dat", "Prova_7.sim", "Prova_7.dat"}};

enum class Piantato { link, link_pendente, link_fisico, fifo, cartella };

struct Stato {
  Piantato tipo;
  const char* nome;
};
const Stato kStati[] = {{Piantato::link, "link"},
                        {Piantato::link_pendente, "dangling link"},
                        {Piantato::link_fisico, "hard link"},
                        {Piantato::fifo, "FIFO"},
                        {Piantato::cartella, "directory"}};

class Sicurezza : public CartellaTemporanea {
 protected:
  void SetUp() override {
    CartellaTemporanea::SetUp();
    fuori_ = cartella("fuori");
    scrivi(fuori_ / "vittima", "intatto");
    prima_fuori_ = contenuto(fuori_);
  }

  // A fresh directory ready for `p`: genera copied in, or the two texts.
  fs::path prepara(const Programma& p, const std::string& nome) {
    const fs::path dir = cartella(nome);
    if (p.nome == "genera") {
      fs::copy_file(BINARIO_GENERA, dir / "genera");
    } else {
      scrivi(dir / "Prova_linea.txt", testo(righe_linea_prova()));
      scrivi(dir / "Prova_7-.txt", testo(righe_servizio_prova()));
    }
    return dir;
  }

  std::vector<std::string> argomenti(const Programma& p, const fs::path& dir) {
    if (p.nome == "genera") return {};
    return {"compile", "--dir", dir.string(), "--line", "Prova", "--train", "7"};
  }
  std::string eseguibile(const Programma& p, const fs::path& dir) {
    return p.nome == "genera" ? (dir / "genera").string() : std::string(BINARIO_EXE);
  }

  esito_processo esegui_in(const Programma& p, const fs::path& dir) {
    return esegui(eseguibile(p, dir), argomenti(p, dir), 60);
  }

  // What a clean run leaves in a directory of its own.
  Contenuto riferimento(const Programma& p) {
    const fs::path dir = prepara(p, p.nome + "-riferimento");
    const esito_processo e = esegui_in(p, dir);
    EXPECT_EQ(e.stato, 0) << e.err;
    return contenuto(dir);
  }

  void pianta(Piantato tipo, const fs::path& dove) {
    switch (tipo) {
      case Piantato::link:
        fs::create_symlink(fuori_ / "vittima", dove);
        break;
      case Piantato::link_pendente:
        fs::create_symlink(fuori_ / "nuovo", dove);
        break;
      case Piantato::link_fisico:
        fs::create_hard_link(fuori_ / "vittima", dove);
        break;
      case Piantato::fifo:
        ASSERT_EQ(::mkfifo(dove.c_str(), 0644), 0);
        break;
      case Piantato::cartella:
        fs::create_directory(dove);
        break;
    }
  }

  void nulla_cambiato_fuori() { EXPECT_EQ(differenze(prima_fuori_, contenuto(fuori_)), ""); }

  fs::path fuori_;
  Contenuto prima_fuori_;
};

// Something planted under every output name, or under the name the
// temporaries once had: it is replaced as a whole or left alone, never
// written through; a directory under an output name stops the run at that
// file, naming it.
TEST_F(Sicurezza, CartellaOstile) {
  for (const Programma& p : {kGenera, kCompila}) {
    const Contenuto atteso = riferimento(p);
    for (const Stato& stato : kStati) {
      for (const bool temporaneo : {false, true}) {
        SCOPED_TRACE(p.nome + ", " + stato.nome + (temporaneo ? " at NAME.tmp" : " at NAME"));
        const bool si_ferma = stato.tipo == Piantato::cartella && !temporaneo;
        // A directory stops the run at its file: one run for each.
        const size_t gruppi = si_ferma ? p.uscite.size() : 1;
        for (size_t g = 0; g < gruppi; ++g) {
          const fs::path dir = prepara(p, "caso");
          for (size_t i = 0; i < p.uscite.size(); ++i)
            if (!si_ferma || i == g) pianta(stato.tipo, dir / (p.uscite[i] + (temporaneo ? ".tmp" : "")));
          const Contenuto piantato = contenuto(dir);
          const esito_processo e = esegui_in(p, dir);
          nulla_cambiato_fuori();
          const Contenuto dopo = contenuto(dir);
          if (si_ferma) {
            EXPECT_EQ(e.stato, 2) << e.err;
            EXPECT_NE(e.err.find("a directory has this name (" + (dir / p.uscite[g]).string() + ")"),
                      std::string::npos)
                << e.err;
            for (const auto& [n, _] : dopo) EXPECT_EQ(n.find(".tmp"), std::string::npos) << "left behind: " << n;
          } else {
            EXPECT_EQ(e.stato, 0) << e.err;
            Contenuto attesa = atteso;
            if (temporaneo)  // left exactly as planted
              for (const auto& [n, v] : piantato)
                if (n.size() > 4 && n.compare(n.size() - 4, 4, ".tmp") == 0) attesa[n] = v;
            EXPECT_EQ(differenze(attesa, dopo), "");
          }
          fs::remove_all(dir);
        }
      }
    }
  }
}

// Two runs at once in one directory, again and again: each ends well, one
// after the other, and what is left is what a single run leaves.
TEST_F(Sicurezza, DueEsecuzioniInsieme) {
  for (const Programma& p : {kGenera, kCompila}) {
    SCOPED_TRACE(p.nome);
    const Contenuto atteso = riferimento(p);
    const fs::path dir = prepara(p, p.nome + "-insieme");
    for (int giro = 0; giro < 20; ++giro) {
      if (p.nome == "genera") {
        for (const auto& [n, _] : contenuto(dir))
          if (n != "genera") fs::remove(dir / n);
      }
      const pid_t a = avvia(eseguibile(p, dir), argomenti(p, dir), "a");
      const pid_t b = avvia(eseguibile(p, dir), argomenti(p, dir), "b");
      const esito_processo ea = attendi(a, "a"), eb = attendi(b, "b");
      EXPECT_EQ(ea.stato, 0) << ea.err;
      EXPECT_EQ(eb.stato, 0) << eb.err;
      EXPECT_EQ(ea.err, eb.err);
      ASSERT_EQ(differenze(atteso, contenuto(dir)), "") << "round " << giro;
    }
  }
}

// A run that finds the directory held past its wait writes nothing and says why.
TEST_F(Sicurezza, CartellaOccupataOltreLAttesa) {
  const fs::path dir = prepara(kCompila, "occupata");
  std::unique_ptr<BloccoCartella> blocco;
  ASSERT_TRUE(file_system_posix().lock_directory(dir.string(), 0, &blocco).is_ok());
  const Contenuto prima = contenuto(dir);
  richiesta_compilazione r{dir.string(), "Prova", "7"};
  r.attesa_ms = 100;
  const esito_compilazione e = compila(file_system_posix(), r);
  ASSERT_TRUE(e.guasto.has_value());
  EXPECT_EQ(*e.guasto, "Errore 70: Permission denied: another run is writing in this directory; gave up after "
                       "100 ms (" + dir.string() + ")");
  EXPECT_EQ(stato_uscita(e), 2);
  EXPECT_EQ(differenze(prima, contenuto(dir)), "");
  blocco.reset();
  EXPECT_FALSE(compila(file_system_posix(), r).guasto.has_value());
}

// Inputs that never end or are not files: each run ends at once, saying
// which file and why.
TEST_F(Sicurezza, IngressiOstili) {
  struct Caso {
    std::string nome;
    std::function<void(const fs::path&)> prepara;
    std::vector<std::string> argomenti;  // DIR stands for the directory
    std::string messaggio;
    std::string file;
  };
  const std::vector<Caso> casi = {
      {"line text linked to /dev/zero", [](const fs::path& f) { fs::create_symlink("/dev/zero", f); },
       {"compile", "--dir", "DIR", "--line", "Prova", "--train", "7"}, "not a regular file", "Prova_linea.txt"},
      {"line text a FIFO", [](const fs::path& f) { ::mkfifo(f.c_str(), 0644); },
       {"compile", "--dir", "DIR", "--line", "Prova", "--train", "7"}, "not a regular file", "Prova_linea.txt"},
      {"line text a directory", [](const fs::path& f) { fs::create_directory(f); },
       {"compile", "--dir", "DIR", "--line", "Prova", "--train", "7"}, "a directory has this name",
       "Prova_linea.txt"},
      {"line text beyond the limit",
       [](const fs::path& f) {
         scrivi(f, "lunghezza percorso, 1000\r\n");
         fs::resize_file(f, kMassimoTestoDescrizione + 1);  // sparse: costs no disk
       },
       {"compile", "--dir", "DIR", "--line", "Prova", "--train", "7"}, "larger than 64 MiB, the most a text may hold", "Prova_linea.txt"},
      {"dump of a link to /dev/zero", [](const fs::path& f) { fs::create_symlink("/dev/zero", f); },
       {"dump", "--kind", "grid", "DIR/Prova_7.dat"}, "not a regular file", "Prova_7.dat"},
      {"dump of a FIFO", [](const fs::path& f) { ::mkfifo(f.c_str(), 0644); },
       {"dump", "DIR/Prova_7.dat"}, "not a regular file", "Prova_7.dat"},
  };
  for (const Caso& c : casi) {
    SCOPED_TRACE(c.nome);
    const fs::path dir = prepara(kCompila, "ingressi");
    fs::remove(dir / c.file);
    c.prepara(dir / c.file);
    std::vector<std::string> args = c.argomenti;
    for (std::string& a : args)
      if (a.rfind("DIR", 0) == 0) a = dir.string() + a.substr(3);
    const esito_processo e = esegui(BINARIO_EXE, args, 30);
    EXPECT_EQ(e.stato, 2) << e.err;
    EXPECT_NE(e.err.find(c.messaggio + " (" + (dir / c.file).string() + ")"), std::string::npos) << e.err;
    for (const std::string& n : kCompila.uscite)
      if (n != c.file) {
        EXPECT_FALSE(fs::exists(dir / n)) << n;
      }
    fs::remove_all(dir);
  }
}

// An identity that would make two files share a name, or a name longer than
// a file system takes, is refused before anything is read or written.
TEST_F(Sicurezza, IdentitaRifiutate) {
  const std::string lunga(250, 'L');
  struct Caso {
    std::string linea, treno, messaggio;
  };
  const std::vector<Caso> casi = {
      {"Prova", "linea",
       "binario: --line e --train rifiutati: due file avrebbero lo stesso nome, Prova_linea.dat: uno cancellerebbe "
       "l'altro\n"},
      {"Prova", "LINEA",
       "binario: --line e --train rifiutati: due file avrebbero lo stesso nome, Prova_LINEA.dat: uno cancellerebbe "
       "l'altro\n"},
      {lunga, "7",
       "binario: --line e --train rifiutati: il nome di file " + lunga +
           "_linea.txt sarebbe di 260 byte, oltre il massimo di 243\n"},
      {"Łódź", "7", "binario: --line rifiutato: contiene «Ł» (U+0141), che Windows-1252 non rappresenta\n"},
  };
  const fs::path dir = prepara(kCompila, "identita");
  const Contenuto prima = contenuto(dir);
  for (const Caso& c : casi) {
    const esito_processo e =
        esegui(BINARIO_EXE, {"compile", "--dir", dir.string(), "--line", c.linea, "--train", c.treno});
    EXPECT_EQ(e.stato, 2);
    EXPECT_EQ(e.err, c.messaggio);
    EXPECT_EQ(differenze(prima, contenuto(dir)), "");
  }
}

// An identity typed in UTF-8: files named as typed, records in Windows-1252.
TEST_F(Sicurezza, IdentitaConvertitaInWindows1252) {
  const fs::path dir = cartella("città");
  scrivi(dir / "Città_linea.txt", testo(righe_linea_prova()));
  scrivi(dir / "Città_7-.txt", testo(righe_servizio_prova()));
  const esito_processo e = esegui(BINARIO_EXE, {"compile", "--dir", dir.string(), "--line", "Città", "--train", "7"});
  ASSERT_EQ(e.stato, 0) << e.err;
  const std::string voci = leggi(dir / "Città_7.sim");
  EXPECT_NE(voci.find("Citt\xE0"), std::string::npos);
  EXPECT_EQ(voci.find("Citt\xC3\xA0"), std::string::npos);
  EXPECT_TRUE(fs::exists(dir / "Città_linea.dat"));
  EXPECT_TRUE(fs::exists(dir / "Città_7.dat"));
}

// --dir naming a regular file says so, for both commands that take it.
TEST_F(Sicurezza, DirCheNonECartella) {
  const fs::path file = radice_ / "un-file";
  scrivi(file, "dati");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"compile", "--dir", file.string(), "--line", "Prova", "--train", "7"},
        std::vector<std::string>{"export", "--dir", file.string()}}) {
    const esito_processo e = esegui(BINARIO_EXE, args);
    EXPECT_EQ(e.stato, 2);
    EXPECT_EQ(e.err, "binario: " + file.string() + " non è una cartella\n");
  }
  EXPECT_EQ(leggi(file), "dati");
}

}  // namespace
}  // namespace binario::test
