#pragma once
// Test support for the driver documents: runs one writer through a file
// system in memory and reads back the bytes it wrote.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/form1.h"
#include "base/memfs.h"
#include "app/run.h"

namespace binario {

// The lines of a text, split at CR LF. Whatever follows the last CR LF comes
// back as one more line, so a missing line end shows in the line count.
inline std::vector<std::string> righe_del_testo(const std::string& testo) {
  std::vector<std::string> righe;
  size_t inizio = 0;
  for (size_t fine; (fine = testo.find("\r\n", inizio)) != std::string::npos; inizio = fine + 2)
    righe.push_back(testo.substr(inizio, fine - inizio));
  if (inizio < testo.size()) righe.push_back(testo.substr(inizio));
  return righe;
}

// The positions of the bars in a table line.
inline std::vector<size_t> colonne_barre(const std::string& riga) {
  std::vector<size_t> barre;
  for (size_t i = 0; i < riga.size(); ++i)
    if (riga[i] == '|') barre.push_back(i);
  return barre;
}

using scrittore_documento = Status (Form1::*)();

class DocumentoTest : public ::testing::Test {
 protected:
  DocumentoTest() {
    form.nome_linea = kNomeLinea;
    form.numero_treno = kNumeroTreno;
  }

  // Runs `scrivi` over an older and longer file of the same name, so that a
  // writer that appended or overwrote in place would show, and returns the
  // file's bytes.
  std::string scrivi(scrittore_documento scrivi_documento, const std::string& nome) {
    const std::string percorso = form.percorso(nome);
    fs.files()[percorso] = std::string(3000, '~') + "\r\n" + std::string(kFineRighe) + "\r\n";
    Status s = (form.*scrivi_documento)();
    EXPECT_TRUE(s.is_ok()) << s.to_string();
    return fs.files()[percorso];
  }

  MemFileSystem fs;
  Form1 form{fs, "/programma"};
};

}  // namespace binario
