#include "app/run.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/finestra_modulo.h"
#include "base/memfs.h"
#include "base/nomi_file.h"
#include "testing/piattaforma_finta.h"

namespace binario {
namespace {

const std::string L = kNomeLinea, T = kNumeroTreno;

// The outputs of a run in the order of its steps.
const std::vector<std::string> kUscite = {
    nome_descrizione_linea(L), nome_descrizione_servizio(L, T), nome_note(L, T), nome_rallentamenti(L, T),
    nome_scheda(L, T),         nome_file_tracciato(L),          nome_file_voci(L, T), nome_file_griglia(L, T),
};
// What a complete run leaves: the description texts are compiled and deleted.
const std::vector<std::string> kRimasti = {nome_note(L, T),       nome_rallentamenti(L, T),
                                           nome_scheda(L, T),     nome_file_tracciato(L),
                                           nome_file_voci(L, T),  nome_file_griglia(L, T)};

// Records the order in which files come into place under their names.
class FsRegistrato : public MemFileSystem {
 public:
  Status rename_file(const std::string& from, const std::string& to) override {
    arrivi.push_back(to.substr(to.rfind('/') + 1));
    return MemFileSystem::rename_file(from, to);
  }
  std::vector<std::string> arrivi;
};

std::vector<std::string> nomi(MemFileSystem& fs) {
  std::vector<std::string> n;
  for (const auto& [path, _] : fs.files()) n.push_back(path.substr(path.rfind('/') + 1));
  std::sort(n.begin(), n.end());
  return n;
}

std::vector<std::string> ordinati(std::vector<std::string> v) {
  std::sort(v.begin(), v.end());
  return v;
}

TEST(FormLoad, WritesEveryFileInItsStepOrderAndEndsWithZero) {
  FsRegistrato fs;
  PiattaformaFinta p("/prog");
  EXPECT_EQ(esegui_form_load(p, fs), 0);
  EXPECT_EQ(fs.arrivi, kUscite);
  EXPECT_EQ(nomi(fs), ordinati(kRimasti));
  // Once before the work, then between each of the five steps and the next.
  EXPECT_EQ(p.eventi, (std::vector<std::string>{"mostra", "ridisegna", "ridisegna", "ridisegna", "ridisegna",
                                                "ridisegna", "ridisegna"}));
  EXPECT_TRUE(p.messaggi.empty());
}

TEST(FormLoad, ASecondRunReplacesEveryFile) {
  MemFileSystem fs;
  PiattaformaFinta p("/prog");
  ASSERT_EQ(esegui_form_load(p, fs), 0);
  const auto primo = fs.files();
  for (auto& [path, bytes] : fs.files()) bytes += std::string(5000, 'z');
  ASSERT_EQ(esegui_form_load(p, fs), 0);
  EXPECT_EQ(fs.files(), primo);
}

// A read-only file under any output's name stops the run at the step that
// writes it: earlier outputs are complete, later ones are not written.
TEST(FormLoad, ReadOnlyOutputStopsTheRunAtItsStep) {
  MemFileSystem completo;
  PiattaformaFinta p0("/prog");
  ASSERT_EQ(esegui_form_load(p0, completo), 0);

  for (size_t passo = 0; passo < kUscite.size(); ++passo) {
    SCOPED_TRACE(kUscite[passo]);
    MemFileSystem fs;
    const std::string bloccato = "/prog/" + kUscite[passo];
    fs.files()[bloccato] = "vecchio";
    fs.set_read_only(bloccato, true);
    PiattaformaFinta p("/prog");
    EXPECT_EQ(esegui_form_load(p, fs), kUscitaPassoFallito);
    ASSERT_EQ(p.messaggi.size(), 1u);
    EXPECT_EQ(p.messaggi[0], "Errore 75: Path/File access error (" + bloccato + ")");
    EXPECT_EQ(fs.files().at(bloccato), "vecchio");
    for (size_t k = 0; k < kUscite.size(); ++k) {
      const std::string path = "/prog/" + kUscite[k];
      if (k == passo) continue;
      if (k > passo) {
        EXPECT_FALSE(fs.exists(path)) << "written after the failed step: " << kUscite[k];
      } else if (completo.exists(path)) {
        EXPECT_EQ(fs.files().at(path), completo.files().at(path)) << kUscite[k];
      }
    }
    for (const auto& [path, _] : fs.files()) EXPECT_EQ(path.find(".tmp"), std::string::npos) << path;
  }
}

// A platform that cannot tell the program's directory: nothing is written,
// not even into the working directory.
TEST(FormLoad, UnknownDirectoryStopsBeforeAnyFile) {
  MemFileSystem fs;
  PiattaformaFinta p("");
  EXPECT_EQ(esegui_form_load(p, fs), kUscitaPassoFallito);
  ASSERT_EQ(p.messaggi.size(), 1u);
  EXPECT_EQ(p.messaggi[0], "Errore 76: Path not found: the program's own directory is unknown; nothing was written");
  EXPECT_TRUE(fs.files().empty());
}

// genera itself, copied into a directory of its own and started from
// elsewhere: the files go next to the executable, not to the working
// directory. A display that is set but does not answer, or a window module
// that is missing, leaves it headless: it must neither hang nor fail.
struct CasoGenera {
  const char* nome;
  const char* display;  // nullptr: DISPLAY unset
  bool con_modulo;      // the window module copied beside genera
};
constexpr CasoGenera kCasiGenera[] = {
    {"no display", nullptr, false},
    {"a display that does not answer, module beside it", ":9999", true},
    {"a display set, no module", ":9999", false},
};

TEST(Genera, WritesIntoItsOwnDirectory) {
  namespace fs = std::filesystem;
  const fs::path modulo = fs::path(BINARIO_GENERA).parent_path() / kFileModuloFinestra;
  for (const CasoGenera& caso : kCasiGenera) {
    SCOPED_TRACE(caso.nome);
    if (caso.con_modulo && !fs::exists(modulo)) continue;  // built without a window library
    const fs::path base = fs::temp_directory_path() / ("genera test " + std::to_string(::getpid()));
    const fs::path cartella = base / "programma è qui";
    const fs::path altrove = base / "altrove";
    fs::create_directories(cartella);
    fs::create_directories(altrove);
    fs::copy_file(BINARIO_GENERA, cartella / "genera");
    std::vector<std::string> attesi = kRimasti;
    attesi.push_back("genera");
    if (caso.con_modulo) {
      fs::copy_file(modulo, cartella / kFileModuloFinestra);
      attesi.push_back(kFileModuloFinestra);
    }

    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      if (::chdir(altrove.c_str()) != 0) ::_exit(120);
      if (caso.display == nullptr) {
        ::unsetenv("DISPLAY");
      } else {
        ::setenv("DISPLAY", caso.display, 1);
      }
      const std::string exe = (cartella / "genera").string();
      ::execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
      ::_exit(121);
    }
    int stato = 0;
    ASSERT_EQ(::waitpid(pid, &stato, 0), pid);
    ASSERT_TRUE(WIFEXITED(stato));
    EXPECT_EQ(WEXITSTATUS(stato), 0);

    std::vector<std::string> trovati;
    for (const auto& e : fs::directory_iterator(cartella)) trovati.push_back(e.path().filename().string());
    EXPECT_EQ(ordinati(trovati), ordinati(attesi));
    EXPECT_TRUE(fs::is_empty(altrove));
    fs::remove_all(base);
  }
}

}  // namespace
}  // namespace binario
