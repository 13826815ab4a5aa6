#include <gtest/gtest.h>

#include "app/form1.h"
#include "base/memfs.h"
#include "app/errore.h"
#include "testing/piattaforma_finta.h"

namespace binario {
namespace {

// Without a line description the reader never creates the grid: nothing is
// checked or written, and binary files of an earlier run stay as they were.
TEST(MemorizzaPercorso, WithoutAGridNoBinaryFileIsWritten) {
  MemFileSystem fs;
  fs.files()["/d/L_T.sim"] = "vecchio";
  Form1 form(fs, "/d");
  form.nome_linea = "L";
  form.numero_treno = "T";
  form.voci[3].nome = "resto di prima";
  EXPECT_TRUE(form.memorizza_percorso(1).is_ok());
  EXPECT_EQ(form.codice_errore, 101);
  EXPECT_EQ(form.voci[3].nome, "");  // cleared before reading
  EXPECT_EQ(fs.files().size(), 1u);
  EXPECT_EQ(fs.files().at("/d/L_T.sim"), "vecchio");
}

TEST(Errore, ShowsTheNumberAndEndsTheProcess) {
  MemFileSystem fs;
  Form1 form(fs, "/d");
  PiattaformaFinta p("/d");
  try {
    errore(p, form, "1251");
    FAIL() << "errore returned";
  } catch (const fine_processo& f) {
    EXPECT_EQ(f.codice, kUscitaErroreFatale);
  }
  EXPECT_EQ(p.messaggi, std::vector<std::string>{" Errore n. 1251"});
  EXPECT_EQ(form.risposta_messaggio, 1);
}

}  // namespace
}  // namespace binario
