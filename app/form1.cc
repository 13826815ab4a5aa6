#include "app/form1.h"

#include <string>

#include "app/testo.h"

namespace binario {

Form1::Form1(FileSystem& file_system, std::string cartella, char sep)
    : cartella_programma(std::move(cartella)), separatore(sep), fs(file_system) {}

std::string Form1::percorso(const std::string& nome) const {
  // The separator is appended even when the directory already ends with one.
  // The identity is held in Windows-1252 for the records; on disk a name is
  // the text its author typed, so it goes back to UTF-8 (ASCII is unchanged).
  return cartella_programma + separatore + utf8_da_cp1252(nome);
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
