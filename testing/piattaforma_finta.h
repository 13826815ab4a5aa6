#pragma once
// A platform for tests: records what the run shows and turns the end of the
// process into an exception the test can catch.

#include <string>
#include <vector>

#include "base/filesystem.h"
#include "base/platform.h"

namespace binario {

struct fine_processo {
  int codice;
};

class PiattaformaFinta : public Piattaforma {
 public:
  explicit PiattaformaFinta(std::string cartella, char sep = '/') : cartella_(std::move(cartella)), sep_(sep) {}

  void mostra_finestra() override { eventi.push_back("mostra"); }
  void ridisegna_finestra() override { eventi.push_back("ridisegna"); }
  int messaggio(const std::string& testo) override {
    messaggi.push_back(testo);
    return 1;
  }
  [[noreturn]] void termina(int codice) override { throw fine_processo{codice}; }
  std::string cartella_programma() override { return cartella_; }
  char separatore() const override { return sep_; }

  std::vector<std::string> eventi;
  std::vector<std::string> messaggi;

 private:
  std::string cartella_;
  char sep_;
};

// Runs Form_Load and returns the exit status it ended with.
int esegui_form_load(Piattaforma& p, FileSystem& fs);

}  // namespace binario
