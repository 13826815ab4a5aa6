#include "app/form1.h"

#include <string>

namespace binario {

Form1::Form1(FileSystem& file_system, identita_scenario identita)
    : identita_scenario(std::move(identita)), fs(file_system) {}

Form1::Form1(FileSystem& file_system, std::string cartella, char sep)
    : Form1(file_system, identita_scenario{"", "", std::move(cartella), sep}) {}

void Form1::prepara_compilazione(int32_t j) {
  azzera_tabelle();
  azzera_contatori_lettura();
  azzera_contatori_post_pass();
  azzera_diagnostica();
  scrivi_tracciato = j;
}

std::string Form1::percorso(const std::string& nome) const {
  // The separator is appended even when the directory already ends with one.
  return cartella_programma + separatore + nome;
}

cella& Form1::cella_at(int64_t i) {
  if (i < 0 || i >= static_cast<int64_t>(griglia_celle.size()))
    throw guasto_imprevisto("cella " + std::to_string(i) + " fuori dalla griglia");
  return griglia_celle[static_cast<size_t>(i)];
}

void Form1::imposta_errore(int32_t codice) {
  codice_errore = codice;
  errore_registrato e;
  e.codice = codice;
  e.origine = origine_corrente;
  e.riga = riga_sorgente;
  errori.push_back(e);
}

void Form1::imposta_posizione(int32_t posizione) {
  posizione_errore = posizione;
  if (!errori.empty()) errori.back().posizione = posizione;
}

}  // namespace binario
