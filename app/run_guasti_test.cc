// How the whole program ends when the file system fails it: a failed step
// shows one message with the error number and description and ends the
// process with kUscitaPassoFallito, with no file touched after the message;
// a failure the reader absorbs (code 25) does not stop the program.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "testing/guasti.h"
#include "base/memfs.h"
#include "base/platform.h"
#include "app/run.h"
#include "testing/piattaforma_finta.h"

namespace binario {
namespace {

struct Fine {
  int codice = -1;
  std::vector<std::string> eventi;  // window events and file calls, in order
  std::vector<std::string> messaggi;
  std::vector<chiamata_fs> chiamate;
  bool file_dopo_messaggio = false;
};

template <typename Guasto>
Fine esegui_programma(Guasto guasto) {
  MemFileSystem mem;
  FaultyFileSystem fs(mem);
  PiattaformaFinta piattaforma("/prog");
  Fine fine;
  fs.osserva([&](const chiamata_fs& c) {
    piattaforma.eventi.push_back(std::string("file ") + nome_operazione(c.operazione));
    if (!piattaforma.messaggi.empty()) fine.file_dopo_messaggio = true;
  });
  guasto(fs);
  fine.codice = esegui_form_load(piattaforma, fs);
  fine.eventi = piattaforma.eventi;
  fine.messaggi = piattaforma.messaggi;
  fine.chiamate = fs.registro();
  return fine;
}

TEST(RunGuasti, WindowIsDrawnBeforeTheFirstFileIsTouched) {
  const Fine f = esegui_programma([](FaultyFileSystem&) {});
  EXPECT_EQ(f.codice, 0);
  ASSERT_GE(f.eventi.size(), 3u);
  EXPECT_EQ(f.eventi[0], "mostra");
  EXPECT_EQ(f.eventi[1], "ridisegna");
}

TEST(RunGuasti, FailedStepShowsItsErrorAndEndsTheProcess) {
  const Fine pulita = esegui_programma([](FaultyFileSystem&) {});
  struct Caso {
    operazione_fs op;
    int err;
    const char* testo;  // nullptr: the reader's code 25, the run goes on
  };
  const Caso casi[] = {
      {operazione_fs::crea, EACCES, "Errore 75: Path/File access error ("},
      {operazione_fs::scrivi, ENOSPC, "Errore 61: Disk full ("},
      {operazione_fs::rinomina, EIO, "Errore 57: Device I/O error"},
      {operazione_fs::leggi, EIO, nullptr},
      {operazione_fs::cancella, EACCES, nullptr},
  };
  for (const Caso& caso : casi) {
    int n = 0;
    for (const chiamata_fs& c : pulita.chiamate) {
      if (c.operazione != caso.op) continue;
      SCOPED_TRACE(std::string(nome_operazione(caso.op)) + " #" + std::to_string(n) + " " + c.percorso);
      const Fine f = esegui_programma([&](FaultyFileSystem& fs) { fs.guasta(caso.op, n, caso.err); });
      if (caso.testo != nullptr) {
        EXPECT_EQ(f.codice, kUscitaPassoFallito);
        ASSERT_EQ(f.messaggi.size(), 1u);
        EXPECT_EQ(f.messaggi[0].rfind(caso.testo, 0), 0u) << f.messaggi[0];
        EXPECT_FALSE(f.file_dopo_messaggio);
      } else {
        EXPECT_EQ(f.codice, 0);
        EXPECT_TRUE(f.messaggi.empty());
      }
      ++n;
    }
  }
}

}  // namespace
}  // namespace binario
