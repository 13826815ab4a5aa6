// Placement of line-side features on the grid.
//
// Only the first position of a line is checked against the grid by the
// reader; every other cell a feature reaches is checked here before it is
// touched, so nothing is ever written outside `griglia_celle`:
// - a cell that carries the feature itself (signal, boards, slowdown start,
//   end, warning and four-cell block) that does not exist is error 15 with
//   the line's position, raised before anything is written;
// - cells that only carry decoration (a signal's approach codes, the cells
//   of a `montagna` span) are skipped where they do not exist.
#include <algorithm>
#include <cstdint>
#include <string>

#include "app/form1.h"
#include "base/arrotonda.h"

namespace binario {
namespace {

constexpr int32_t kFuoriGriglia = 15;
constexpr int32_t kSegnaleOccupato = 16;
constexpr int32_t kAvvisoOccupato = 17;
constexpr int32_t kInizioOccupato = 18;
constexpr int32_t kFineOccupata = 19;
constexpr int32_t kApproccioOccupato = 20;
constexpr int32_t kIndicatoriOccupati = 21;

constexpr int32_t kMaxMontagne = 80;  // slots 1 to 80 of the span lists
constexpr int64_t kDistanzaMontagne = 150;
constexpr int64_t kDistanzaAvviso = 1200;
constexpr int32_t kMinimoConAvviso = 1500;

// A narrower field keeps the low bits of the whole number (modular since C++20).
int16_t basso16(int64_t v) { return static_cast<int16_t>(v); }
uint8_t basso8(int64_t v) { return static_cast<uint8_t>(v); }

int64_t cella_di(int64_t posizione) { return arrotonda_intero(static_cast<double>(posizione) / 50 + 1); }

bool nella_griglia(const Form1& f, int64_t i) { return i >= 0 && i < static_cast<int64_t>(f.griglia_celle.size()); }

// Without a grid there is nowhere to place anything: the reader called us
// before "lunghezza percorso", which it reports as an unforeseen failure.
void richiedi_griglia(const Form1& f, const char* operazione) {
  if (!f.griglia_creata()) throw guasto_imprevisto(std::string(operazione) + ": griglia non ancora creata");
}

void fuori_griglia(Form1& f, int32_t posizione) {
  f.imposta_errore(kFuoriGriglia);
  f.imposta_posizione(posizione);
}

// The feature cell `i`, checked in the order the placement needs: first that
// it exists (15), then that it is free (`codice`). Null after an error.
cella* cella_libera(Form1& f, int64_t i, int32_t posizione, int32_t codice) {
  if (!nella_griglia(f, i)) {
    fuori_griglia(f, posizione);
    return nullptr;
  }
  cella& c = f.griglia_celle[static_cast<size_t>(i)];
  if (!libera(c)) {
    f.imposta_errore(codice);
    f.errori.back().altro = f.occupante_di(i);
    return nullptr;
  }
  return &c;
}

}  // namespace

void Form1::memo_montagna(int32_t inizio, int32_t fine, int32_t tipo) {
  richiedi_griglia(*this, "memo_montagna");
  const bool marcata = tipo > 10;
  int64_t genere = marcata ? int64_t{tipo} - 10 : tipo;

  // A span beyond the 80th has no slot: it is not stored and, having no
  // stored predecessor to be measured against, keeps its own kind.
  if (numero_montagne < kMaxMontagne) {
    ++numero_montagne;
    montagne_inizio[static_cast<size_t>(numero_montagne)] = inizio;
    montagne_fine[static_cast<size_t>(numero_montagne)] = fine;
    if (numero_montagne > 1 &&
        int64_t{inizio} - montagne_fine[static_cast<size_t>(numero_montagne - 1)] <= kDistanzaMontagne)
      genere = 3;
  }

  const int64_t primo = arrotonda_intero(static_cast<double>(inizio) / 50);
  const int64_t ultimo = arrotonda_intero(static_cast<double>(fine) / 50 - 1);
  // Cells are counted from the span's own first cell even where that lies
  // before the grid, so the markers keep their places.
  const int64_t da = std::max<int64_t>(primo, 0);
  const int64_t a = std::min<int64_t>(ultimo, static_cast<int64_t>(griglia_celle.size()) - 1);
  for (int64_t i = da; i <= a; ++i) {
    cella& c = griglia_celle[static_cast<size_t>(i)];
    c.tipo_montagna = basso8(genere);
    if (marcata && (i - primo + 1) % 4 == 0 && c.tipo == tipo_cella::vuota) {
      c.tipo = tipo_cella::montagna;
      occupa(i, inizio, "segno della montagna");
    }
  }
}

void Form1::memo_indicatori_v_max(int32_t posizione, int32_t vas, int32_t vbs, int32_t vcs, int32_t strisces,
                                  int32_t vad, int32_t vbd, int32_t vcd, int32_t strisced) {
  richiedi_griglia(*this, "memo_indicatori_v_max");
  cella* c = cella_libera(*this, cella_di(posizione), posizione, kIndicatoriOccupati);
  if (c == nullptr) return;
  // All three speeds are rounded before the cell is touched, so one that
  // does not fit leaves no half-written boards behind.
  auto velocita = [](int32_t primo, int32_t secondo) {
    return arrotonda_int16(static_cast<double>(primo) * 20 + static_cast<double>(secondo) / 5);
  };
  const int16_t a = velocita(vas, vad);
  const int16_t b = velocita(vbs, vbd);
  const int16_t v_c = velocita(vcs, vcd);
  c->tipo = tipo_cella::indicatori_v_max;
  occupa(cella_di(posizione), posizione, "indicatori di velocità massima");
  c->valore_a = a;
  c->valore_b = b;
  c->valore_c = v_c;
  c->valore_d = basso16(int64_t{strisces} * 10 + strisced);
}

void Form1::memo_rallentamento(int32_t x, int32_t v, int32_t l, int32_t f_tt, int32_t f_ta, int32_t d_v) {
  richiedi_griglia(*this, "memo_rallentamento");
  const bool con_avviso = x > kMinimoConAvviso;

  cella* w = nullptr;
  if (con_avviso) {
    w = cella_libera(*this, cella_di(int64_t{x} - kDistanzaAvviso), x, kAvvisoOccupato);
    if (w == nullptr) return;
  }
  cella* s = cella_libera(*this, cella_di(x), x, kInizioOccupato);
  if (s == nullptr) return;
  cella* e = cella_libera(*this, cella_di(int64_t{x} + l), x, kFineOccupata);
  if (e == nullptr) return;

  // The order matters when cells coincide: with s and e the same cell the
  // start wins.
  occupa(cella_di(int64_t{x} + l), x, "fine del rallentamento");
  occupa(cella_di(x), x, "inizio del rallentamento");
  e->tipo = tipo_cella::fine_rallentamento;
  if (d_v != 0) e->valore_b = basso16(d_v);
  s->tipo = tipo_cella::inizio_rallentamento;
  if (d_v != 0) s->valore_b = basso16(d_v);
  if (con_avviso) {
    occupa(cella_di(int64_t{x} - kDistanzaAvviso), x, "avviso del rallentamento");
    w->tipo = tipo_cella::avviso_rallentamento;
    if (d_v != 0) w->valore_b = basso16(d_v);
    w->valore_a = basso16(v);
  }
  s->valore_a = basso16(v);
  e->valore_a = basso16(v);
  s->valore_c = basso16(f_tt);
  e->valore_c = basso16(f_tt);

  if (f_ta == 0 || !con_avviso) return;
  const int64_t k = arrotonda_intero(static_cast<double>(int64_t{x} - kDistanzaAvviso) / 50);
  for (int64_t i = 0; i < 4; ++i)
    if (cella_libera(*this, k - i, x, kApproccioOccupato) == nullptr) return;
  for (int64_t i = 0; i < 4; ++i) {
    cella& c = griglia_celle[static_cast<size_t>(k - i)];
    occupa(k - i, x, "cella prima dell'avviso del rallentamento");
    c.tipo = tipo_cella::approccio_rallentamento;
    c.valore_a = basso16(i + 1);
    if (d_v != 0) c.valore_b = basso16(i + 1);
  }
}

void Form1::memo_segnale(int32_t posizione, int32_t sx, int32_t s1, int32_t s2, int32_t s3, int32_t rapp, int32_t dx,
                         int32_t d1, int32_t d2, int32_t d3, int32_t tempo) {
  richiedi_griglia(*this, "memo_segnale");
  const int64_t i = cella_di(posizione);
  cella* c = cella_libera(*this, i, posizione, kSegnaleOccupato);
  if (c == nullptr) return;

  occupa(i, posizione, "segnale");
  c->tipo = tipo_cella::segnale;
  c->valore_d = basso16(int64_t{rapp} * 10 + int64_t{sx} * 3 + dx);
  c->valore_a = basso16(int64_t{s1} * 10 + d1);
  c->valore_b = basso16(int64_t{s2} * 10 + d2);
  c->valore_c = basso16(int64_t{s3} * 10 + d3);
  if (tempo >= 1 && tempo <= 100) tempo = 101;
  c->tempo_segnale = sx == 2 ? basso8(tempo) : 0;

  // Approach codes are decoration: those in front of the start of the line
  // are dropped.
  const int64_t codice = (int64_t{sx} * 3 + dx) * 10;
  for (int64_t b = 1; b <= 4; ++b)
    if (nella_griglia(*this, i - 2 * b))
      griglia_celle[static_cast<size_t>(i - 2 * b)].codice_avviso = basso8(codice + b);
}

}  // namespace binario
