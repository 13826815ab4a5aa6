#include "app/form1.h"

#include <string>

#include "base/testo.h"

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

void Form1::registra_avviso(avviso_registrato a) {
  if (avvisi.size() < kMassimoAvvisi)
    avvisi.push_back(std::move(a));
  else
    ++avvisi_tralasciati;
}

void Form1::imposta_posizione(int32_t posizione) {
  posizione_errore = posizione;
  if (!errori.empty()) errori.back().posizione = posizione;
}

void Form1::occupa(int64_t i, int32_t metro, std::string_view genere) {
  if (i < 0 || i >= static_cast<int64_t>(griglia_celle.size())) return;
  occupanti[i] = {origine_corrente, riga_sorgente, metro, genere};
}

std::optional<occupante> Form1::occupante_di(int64_t i) const {
  const auto o = occupanti.find(i);
  if (o == occupanti.end() || o->second.genere.empty()) return std::nullopt;
  return o->second;
}

}  // namespace binario
