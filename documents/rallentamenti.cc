#include <array>
#include <string>

#include "app/form1.h"
#include "base/nomi_file.h"
#include "documents/colonne.h"
#include "sources/nomi.h"
#include "sources/scenario.h"

namespace binario {

namespace {

// N., location, start, speed, length, prescriptions.
constexpr std::array<size_t, 6> kLarghezze = {3, 28, 12, 10, 9, 12};

constexpr const char* kRigaVuota = " |   |                            |            |          |         |            |";
constexpr const char* kRighello = " |___|____________________________|____________|__________|_________|____________|";

struct riga_ordine {
  int numero;
  std::string luogo;
  scenario::rallentamento rallentamento;
};

// The display names, as the header of the compiled scenario holds them.
std::string stazione(size_t n) { return std::string(nomi::kStazioni[n - 1].nome); }

// The two slowdowns of the service description, with its starts, speeds and
// lengths, so that the order names the restrictions the driver will meet.
std::array<riga_ordine, 2> ordine() {
  return {{
      {1, stazione(6) + " - " + stazione(7), scenario::kRallentamenti[0]},
      {2, stazione(10), scenario::kRallentamenti[1]},
  }};
}

std::string riga_rallentamento(const riga_ordine& r) {
  return riga_a_colonne<6>({" " + std::to_string(r.numero) + " ", " " + r.luogo,
                            "   " + a_destra(std::to_string(r.rallentamento.inizio), 5) + "    ",
                            "    " + a_destra(std::to_string(r.rallentamento.velocita), 2) + "    ",
                            a_destra(std::to_string(r.rallentamento.lunghezza), 6) + "   ", "    ---     "},
                           kLarghezze);
}

}  // namespace

tabella_righe Form1::righe_rallentamenti() {
  tabella_righe r;
  size_t n = 0;
  auto riga = [&](std::string testo) { r[n++] = std::move(testo); };

  riga("");
  riga("                                 Modulo M. 3");
  riga("                           ORDINE DI RALLENTAMENTO");
  riga(" ________________________________________________________________________________");
  riga("  Linea  " + std::string(nomi::kNomeLineaEsteso));
  riga("");
  riga("  Si ordina al macchinista del treno n.019 di effettuare i seguenti rallentamenti");
  riga("  _______________________________________________________________________________");

  riga(" |   |                            |Inizio dopo |          |         |            |");
  riga(" | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|");
  riga(" |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |");
  riga(kRighello);
  riga(kRigaVuota);
  for (const riga_ordine& x : ordine()) riga(riga_rallentamento(x));
  for (int i = 0; i < 23; ++i) riga(kRigaVuota);
  riga(kRighello);
  riga("");

  // The legend keeps its own order and wording, D before C.
  riga("              Prescrizioni specifiche");
  riga(" A - Da rispettare con tutto il treno (per i treni viaggiatori)");
  riga(" B - Interessa anche la stazione di.......");
  riga(" D - Rallentamneto N. ... e N. ...  sono contigui");
  riga(" C - Da rispettare dalle ore ....  alle ore ..... di tutti");
  riga("     i giorni esclusi i seguenti:.........");

  r[n] = std::string(kFineRighe);
  return r;
}

Status Form1::dati_rallentamenti() {
  return scrivi_file_testo(fs, righe_rallentamenti(), percorso(nome_rallentamenti(nome_linea, numero_treno)));
}

}  // namespace binario
