#include "base/nomi_file.h"

#include <gtest/gtest.h>

#include "app/form1.h"
#include "base/memfs.h"

namespace binario {
namespace {

TEST(NomiFile, BuiltFromLineAndTrain) {
  const std::string l = "Valmera-Lusa", t = "019";
  const std::pair<std::string, std::string> casi[] = {
      {nome_descrizione_linea(l), "Valmera-Lusa_linea.txt"},
      {nome_descrizione_servizio(l, t), "Valmera-Lusa_019-.txt"},
      {nome_note(l, t), "Valmera-Lusa_019_note.txt"},
      {nome_rallentamenti(l, t), "Valmera-Lusa_019_rallentamenti.txt"},
      {nome_scheda(l, t), "Valmera-Lusa_019_scheda_treno.txt"},
      {nome_file_tracciato(l), "Valmera-Lusa_linea.dat"},
      {nome_file_voci(l, t), "Valmera-Lusa_019.sim"},
      {nome_file_griglia(l, t), "Valmera-Lusa_019.dat"},
  };
  for (const auto& [nome, atteso] : casi) EXPECT_EQ(nome, atteso);
}

TEST(NomiFile, SeparatorAppendedEvenAfterOne) {
  MemFileSystem fs;
  EXPECT_EQ(Form1(fs, "/srv/gen").percorso("a.txt"), "/srv/gen/a.txt");
  EXPECT_EQ(Form1(fs, "/").percorso("a.txt"), "//a.txt");
  EXPECT_EQ(Form1(fs, "C:\\", '\\').percorso("a.txt"), "C:\\\\a.txt");
}

}  // namespace
}  // namespace binario
