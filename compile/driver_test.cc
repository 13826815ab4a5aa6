#include <gtest/gtest.h>

#include "app/form1.h"
#include "base/memfs.h"
#include "app/errore.h"
#include "testing/compilazione_prova.h"
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

// A second compile with the same object gives what a fresh object gives:
// nothing of the first (tables, counters, errors) leaks into it.
TEST(MemorizzaPercorso, ASecondCompileStartsAfresh) {
  using prova_lettura::banco;
  using prova_lettura::linea;
  const std::string cartelli = linea("cartello_indicatore, 5000, (T)\r\n[fine]\r\n");
  const std::string stazione =
      "[generale]\r\nstazione, 2300, 12, 300, 0, 1, 0, 0,0,0, 0,0,0, 0, 10, 30, 0, BORGO\r\n"
      "stazione, 2900, 12, 300, 0, 1, 0, 0,0,0, 0,0,0, 0, 10, 30, 0, BORGO\r\n[fine]\r\n";
  banco usato, nuovo;
  usato.scrivi(cartelli, stazione);
  usato.compila(1);
  ASSERT_EQ(usato.f.codice_errore, 22);  // the 300 m gap
  for (banco* b : {&usato, &nuovo}) b->scrivi(linea("[fine]\r\n"));
  const auto secondo = usato.compila(0);
  const auto fresco = nuovo.compila(0);
  EXPECT_EQ(secondo.stato.numero(), fresco.stato.numero());
  EXPECT_EQ(usato.f.codice_errore, nuovo.f.codice_errore);
  EXPECT_EQ(usato.f.errori.size(), nuovo.f.errori.size());
  EXPECT_EQ(usato.f.voci, nuovo.f.voci);
  EXPECT_EQ(usato.f.griglia_celle, nuovo.f.griglia_celle);
  for (const auto& [percorso, byte] : fresco.file) EXPECT_EQ(secondo.file.at(percorso), byte) << percorso;
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
