#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/form1.h"
#include "base/nomi_file.h"
#include "documents/colonne.h"
#include "sources/nomi.h"
#include "sources/scenario.h"

namespace binario {

namespace {

// Vel. Lim., Vel. Marc., Progr Km, No Rs, location, Orario, Rec.
constexpr std::array<size_t, 7> kLarghezze = {5, 5, 10, 5, 28, 16, 5};

constexpr const char* kRigaVuota = " |     |     |          |     |                            |                |     |";
constexpr const char* kRighello = " |_____|_____|__________|_____|____________________________|________________|_____|";

enum class forma_orario { partenza, fermata, transito };

// A place of the timetable: where it is, what it is called, and the time of
// the departure from it or of the passing.
struct punto_orario {
  int32_t metri;
  std::string nome;
  int orario;  // hhmm
};

struct riga_orario {
  int velocita;  // km/h from this point on; 0 where the limit does not change
  punto_orario punto;
  forma_orario forma;
  int arrivo;    // hhmm; stops only
  int recupero;  // tenths of a minute; -1 where there is none
};

// Station `n` (1 to 13) at the position and departure time the service
// description gives it, so that the sheet and the compiled timetable cannot
// drift apart.
punto_orario stazione(size_t n) {
  const scenario::stazione& s = scenario::kStazioni[n - 1];
  return {s.posizione, std::string(nomi::kStazioni[n - 1].comune), s.orario.ore * 100 + s.orario.minuti};
}

std::array<riga_orario, 17> orario_treno() {
  using enum forma_orario;
  return {{
      {30, stazione(1), partenza, 0, -1},
      {90, {550, "Segnale d'uscita", 1031}, transito, 0, -1},
      {0, stazione(2), fermata, 1033, -1},
      {0, stazione(3), fermata, 1036, -1},
      {0, stazione(4), fermata, 1040, 3},
      {0, {8800, "ex stazione " + std::string(nomi::kExStazioneComune), 1041}, transito, 0, -1},
      {0, stazione(5), fermata, 1044, -1},
      {0, stazione(6), fermata, 1047, 20},
      {0, stazione(7), fermata, 1054, 4},
      {0, {18150, "Viadotto di " + std::string(nomi::kViadottoDiComune), 1056}, transito, 0, -1},
      {0, stazione(8), fermata, 1059, -1},
      {0, stazione(9), fermata, 1101, -1},
      {80, stazione(10), fermata, 1103, -1},
      {0, stazione(11), fermata, 1106, 2},
      {0, {26150, std::string(nomi::kCanaleComune), 1107}, transito, 0, -1},
      {0, stazione(12), fermata, 1108, -1},
      {0, stazione(13), fermata, 1111, -1},
  }};
}

std::string due_cifre(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

// 1030 -> "10.30".
std::string ora(int hhmm) { return std::to_string(hhmm / 100) + "." + due_cifre(hhmm % 100); }

std::string velocita(int v) { return v == 0 ? "" : " " + std::to_string(v); }

// The units digit stands 4th and the decimal point 5th, so that the points of
// all rows fall in one column; the start of the line is a bare "0".
std::string progressiva(int32_t metri) {
  std::string km = a_destra(std::to_string(metri / 1000), 4);
  if (metri == 0) return km;
  std::string millesimi = std::to_string(metri % 1000);
  return km + "." + std::string(3 - millesimi.size(), '0') + millesimi;
}

std::string orario(const riga_orario& r) {
  switch (r.forma) {
    case forma_orario::partenza:
      return std::string(10, ' ') + ora(r.punto.orario) + " ";
    case forma_orario::fermata:
      return " " + ora(r.arrivo) + "    " + ora(r.punto.orario) + " ";
    case forma_orario::transito:
      return std::string(6, ' ') + ora(r.punto.orario) + std::string(5, ' ');
  }
  return "";
}

std::string recupero(int decimi) {
  if (decimi < 0) return "";
  return " " + std::to_string(decimi / 10) + "." + std::to_string(decimi % 10) + " ";
}

std::string riga_scheda(const riga_orario& r) {
  std::string v = velocita(r.velocita);
  return riga_a_colonne<7>({v, "", progressiva(r.punto.metri), v, "   " + r.punto.nome, orario(r), recupero(r.recupero)},
                           kLarghezze);
}

// 15 blanks, the label and the name, in the 45 characters between the boxes.
std::string campo_testata(const std::string& etichetta, std::string_view nome) {
  return a_sinistra(std::string(15, ' ') + etichetta + std::string(nome), 45);
}

}  // namespace

tabella_righe Form1::righe_scheda() {
  tabella_righe r;
  size_t n = 0;
  auto riga = [&](std::string testo) { r[n++] = std::move(testo); };

  riga("");
  riga("");
  riga("  ___________________                                               ______________");
  riga(" |                   |                    SCHEDA                   |              |");
  riga(" |   TRENO n.019     |" + campo_testata("da: ", nomi::kPartenzaBreve) + "|    V 90 C    |");
  riga(" |___________________|" + campo_testata("a: ", nomi::kArrivoBreve) + "|     130 %    |");
  riga("                                                                   |______________|");
  riga("  ___________________                ___________________");
  riga(" |  CLASSIFICAZIONE  |              |   MASSA  TRENO    |       ");
  riga(" |      METRO        |              |      180 T        |");
  riga(" |___________________|              |___________________|");
  riga("");

  riga("  ________________________________________________________________________________");
  riga(" | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     Orario     | Rec |");
  riga(" | Lim.|Marc.|          |  Rs |                            |                |     |");
  riga(kRighello);
  riga(kRigaVuota);
  for (const riga_orario& o : orario_treno()) riga(riga_scheda(o));
  for (int i = 0; i < 13; ++i) riga(kRigaVuota);
  riga(kRighello);
  riga("");

  r[n] = std::string(kFineRighe);
  return r;
}

Status Form1::dati_scheda() { return scrivi_file_testo(fs, righe_scheda(), percorso(nome_scheda(nome_linea, numero_treno))); }

}  // namespace binario
