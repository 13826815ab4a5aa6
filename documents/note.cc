#include <string>
#include <string_view>

#include "app/form1.h"
#include "base/nomi_file.h"
#include "sources/nomi.h"

namespace binario {

namespace {

std::string stazione(size_t n) { return std::string(nomi::kStazioni[n - 1].comune); }

// The seaside terminus of the first layout, destroyed in the war.
std::string vecchio_capolinea() { return std::string(nomi::kCapolineaArrivo) + " Bagni"; }

// The prose is written here in UTF-8; every paragraph goes through cp1252()
// so that à, è and ù reach the file as one byte each.
void storia(tabella_righe& r, size_t& n) {
  const std::string linea(nomi::kNomeLineaEsteso);
  r[n++] = cp1252("La ferrovia " + linea +
                  " venne aperta al pubblico la mattina di domenica 14 maggio 1911: alle ore 8.15 il primo treno, "
                  "addobbato con bandiere e ghirlande di fiori, lasciava la stazione di " + stazione(1) +
                  " tra gli applausi della folla e il suono della banda municipale.");
  r[n++] = cp1252(
      "Il progetto ebbe una gestazione lunga e travagliata: per oltre vent'anni i proprietari dei terreni, le "
      "compagnie di diligenze e una parte del consiglio comunale di " + std::string(nomi::kCapolineaPartenza) +
      " si opposero all'opera, e le prime tre proposte vennero respinte dal ministero. A far cambiare idea fu "
      "soprattutto la necessità di un collegamento rapido tra la città e il mare, dove i commerci del porto di " +
      std::string(nomi::kCapolineaArrivo) + " crescevano di anno in anno e dove d'estate si riversavano "
      "migliaia di bagnanti.");
  r[n++] = cp1252("Il primo tracciato era assai diverso da quello attuale: le stazioni erano soltanto sei e la linea "
                  "terminava in una piccola stazione di testa sulla spiaggia, chiamata allora " + vecchio_capolinea() +
                  ", che sorgeva a poche centinaia di metri dall'attuale fermata di " + stazione(10) + ".");
  r[n++] = cp1252(
      "Durante la guerra i bombardamenti fecero saltare il ponte sul " + std::string(nomi::kCanaleComune) +
      " e distrussero il capolinea di " + vecchio_capolinea() +
      ". Nel 1949 il capolinea, riedificato più a monte, venne riaperto con il nuovo nome di " + stazione(10) +
      "; seguirono due prolungamenti, fino a " + stazione(11) + " nel 1958 e a " + stazione(12) +
      " nel 1966, e nel 1979 l'ultimo tratto fino all'attuale capolinea di " + stazione(13) +
      ", posto al km 28.370.");
  r[n++] = cp1252(
      "Oggi la linea è gestita dall'Azienda Trasporti Metropolitani Valmerese (ATMV), che nel 1994 l'ha "
      "trasformata in una vera linea metropolitana: alle stazioni storiche sono state aggiunte nuove fermate, "
      "fino alle 13 attuali, ed è in corso un programma di lavori per aumentare la frequenza dei treni, "
      "rinnovare il materiale rotabile e ammodernare i depositi.");
}

void linea_simulata(tabella_righe& r, size_t& n) {
  r[n++] = cp1252(
      "La linea simulata è piuttosto fedele all'originale: tracciato e pendenze sono stati ricavati dalle "
      "planimetrie e dai profili altimetrici della linea fino a " + stazione(10) +
      "; le piccole differenze che si possono notare dipendono dai limiti dell'editor di scenari, tra i quali la "
      "totale assenza di montagne.");
  r[n++] = cp1252(
      "Trattandosi di una linea metropolitana non esiste la ripetizione dei segnali in cabina, e il treno è stato "
      "adattato di conseguenza, con accelerazioni e frenature simili a quelle dei convogli che percorrono la "
      "linea.");
  r[n++] = cp1252(
      "Le fermate nelle stazioni durano pochi secondi, salvo diverse indicazioni dell'orario, lavori in corso o "
      "ritardi.");
  r[n++] = cp1252(
      "I segnali luminosi sono più ravvicinati che sulle linee delle ferrovie nazionali e a volte hanno un "
      "significato diverso; non ci sono segnali doppi, tranne in corrispondenza degli scambi.");
  r[n++] = cp1252(
      "Attenzione alla fine della linea: partendo da " + stazione(12) +
      " si incontrano prima un segnale giallo e poi un segnale rosso-giallo, che impone di percorrere gli scambi "
      "a 30 km/h; non esistono gli avvisi giallo-verde e le velocità sono in genere più basse.");
  r[n++] = cp1252("Il segnale che precede una stazione non è quasi mai giallo.");
  r[n++] = cp1252("Tutti i segnali della linea sono di prima categoria.");
  r[n++] = cp1252(
      "I cantieri e i rallentamenti che si incontrano lungo il percorso esistono davvero, nella situazione di "
      "aprile 2006.");
  r[n++] = cp1252(
      "A " + stazione(6) + " si aspetta un paio di minuti il via libera a causa di una coincidenza, e tra " +
      stazione(6) + " e " + stazione(7) +
      " la linea è a binario unico e va percorsa a velocità ridotta proprio per quei lavori: se ne tiene conto "
      "nella sosta di due minuti della scheda treno e nel primo rallentamento dell'ordine di rallentamento.");
  r[n++] = cp1252("Attenzione: la stazione di " + stazione(6) +
                  " si trova su una leggera pendenza, quindi durante la sosta conviene tenere il freno azionato.");
  r[n++] = cp1252(
      "La linea presenta numerosi cambi di pendenza: tenete sempre d'occhio il tachimetro, soprattutto nelle "
      "lunghe discese.");
  r[n++] = cp1252(
      "Per rispettare l'orario bisogna guidare il treno come un vero convoglio della metropolitana, sempre al "
      "limite della velocità consentita; l'aderenza impostata al 100 % aiuta molto.");
  r[n++] = cp1252("Non ci sono altre prescrizioni particolari da segnalare,");
}

}  // namespace

tabella_righe Form1::righe_note() {
  tabella_righe r;
  size_t n = 0;
  r[n++] = "";
  r[n++] = std::string(34, ' ') + "FERROVIA " + std::string(nomi::kNomeLineaMaiuscolo);
  r[n++] = "";
  r[n++] = "";
  r[n++] = " CENNI STORICI:";
  r[n++] = "";
  storia(r, n);
  r[n++] = "";
  r[n++] = " LINEA SIMULATA:";
  r[n++] = "";
  linea_simulata(r, n);
  r[n++] = "";
  r[n++] = " BUON DIVERTIMENTO !!";
  r[n] = std::string(kFineRighe);
  return r;
}

Status Form1::dati_note() { return scrivi_file_testo(fs, righe_note(), percorso(nome_note(nome_linea, numero_treno))); }

}  // namespace binario
