#include "compile/output.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "app/form1.h"
#include "base/nomi_file.h"

namespace binario {

namespace {

// Writes each field of a record little-endian, in the order of the file.
struct scrivi_campo {
  Scrittore& w;
  void operator()(const char*, uint8_t v) { w.byte(v); }
  void operator()(const char*, int16_t v) { w.i16(v); }
  void operator()(const char*, int32_t v) { w.i32(v); }
  void operator()(const char*, const std::string& s) {
    // The reader refuses longer names; the length field holds 16 bits.
    const size_t n = std::min(s.size(), kMassimoNome);
    w.u16(static_cast<uint16_t>(n));
    w.bytes(std::string_view(s).substr(0, n));
  }
};

// The same fields encoded in place, for records of fixed size written by
// the ten thousand: one reservation a record instead of a call a field.
struct scrivi_campo_in {
  unsigned char*& p;
  void operator()(const char*, uint8_t v) { *p++ = v; }
  void operator()(const char*, int16_t v) { intero(static_cast<uint16_t>(v), 2); }
  void operator()(const char*, int32_t v) { intero(static_cast<uint32_t>(v), 4); }
  void intero(uint32_t u, int byte) {
    for (int i = 0; i < byte; ++i) *p++ = static_cast<unsigned char>(u >> (8 * i));
  }
};

}  // namespace

void scrivi_record_voce(Scrittore& w, const voce& v) { campi_voce(v, scrivi_campo{w}); }

void scrivi_record_cella(Scrittore& w, const cella& c) {
  unsigned char* p = w.riserva(kByteCella);
  campi_cella(c, scrivi_campo_in{p});
}

namespace {

void scrivi_le16(unsigned char* p, uint16_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}

void scrivi_le64(unsigned char* p, double v) {
  uint64_t u;
  std::memcpy(&u, &v, sizeof u);
  for (int i = 0; i < 8; ++i) p[i] = static_cast<unsigned char>(u >> (8 * i));
}

using tipo = tabella_tracciato::tipo_elemento;

size_t byte_elemento(tipo k) { return 2 + tabella_tracciato::byte_valore(k); }

// One element: its 2-byte kind, then its value in the bytes the kind gives.
template <typename W>
void scrivi_elemento(W& w, tipo k, double v) {
  unsigned char* p = w.riserva(byte_elemento(k));
  scrivi_le16(p, static_cast<uint16_t>(k));
  if (k == tipo::intero)
    scrivi_le16(p + 2, static_cast<uint16_t>(static_cast<int16_t>(v)));
  else if (k == tipo::reale)
    scrivi_le64(p + 2, v);
}

// `n` empty elements, their 2-byte kind alone, encoded in place a block at a
// time.
static_assert(static_cast<uint16_t>(tipo::vuoto) == 0, "an empty element is two zero bytes");
template <typename W>
void scrivi_vuoti(W& w, int32_t n) {
  constexpr auto kPerBlocco = static_cast<int32_t>(Scrittore::kMassimoRiservato / 2);
  for (int32_t fatti = 0; fatti < n;) {
    const int32_t quanti = std::min(kPerBlocco, n - fatti);
    std::memset(w.riserva(static_cast<size_t>(quanti) * 2), 0, static_cast<size_t>(quanti) * 2);
    fatti += quanti;
  }
}

constexpr size_t kPasso = 10;  // a computed element: its kind and a double
constexpr int32_t kMetriPerBlocco = static_cast<int32_t>(Scrittore::kMassimoRiservato / kPasso);
constexpr auto kReale = static_cast<uint16_t>(tipo::reale);

// How a column is laid out: metres 0 and 1 are the origin's integers (or
// empty); the computed metres follow from 2 without a gap, and the rest stay
// empty.
struct forma_colonne {
  int32_t origine = 0;  // metres before the computed ones
  int32_t calcolati = 0;
  int32_t vuoti = 0;
};

forma_colonne forma(const tabella_tracciato& t) {
  const int32_t ultimo = t.ultimo_metro();
  forma_colonne f;
  f.origine = std::min(ultimo + 1, 2);
  const int32_t fine = std::min(std::max(t.prossimo_metro(), f.origine), ultimo + 1);
  f.calcolati = fine - f.origine;
  f.vuoti = ultimo + 1 - fine;
  return f;
}

uint64_t byte_colonna(const tabella_tracciato& t, const forma_colonne& f) {
  uint64_t n = 0;
  for (int32_t m = 0; m < f.origine; ++m) n += byte_elemento(t.tipo(m));
  return n + uint64_t{kPasso} * static_cast<uint64_t>(f.calcolati) + 2 * static_cast<uint64_t>(f.vuoti);
}

// The computed metres, x into `wx` and y into `wy`, traced once: each metre
// follows from the two before it, a chain no regrouping may shorten, so the
// two columns come from the same pass. The state stays in a local copy
// through the loop, out of reach of the bytes written.
void scrivi_calcolati(Scrittore& wx, ScrittoreAPosizione& wy, const tabella_tracciato& t, int32_t n) {
  tabella_tracciato::stato c = t.inizio();
  for (int32_t fatti = 0; fatti < n;) {
    const int32_t quanti = std::min(kMetriPerBlocco, n - fatti);
    unsigned char* px = wx.riserva(static_cast<size_t>(quanti) * kPasso);
    unsigned char* py = wy.riserva(static_cast<size_t>(quanti) * kPasso);
    for (int32_t i = 0; i < quanti; ++i, px += kPasso, py += kPasso) {
      const tabella_tracciato::punto q = t.passo(c);
      scrivi_le16(px, kReale);
      scrivi_le64(px + 2, q.x);
      scrivi_le16(py, kReale);
      scrivi_le64(py + 2, q.y);
    }
    fatti += quanti;
  }
}

}  // namespace

// The x column, then the y column at the place the x column's size gives it.
void scrivi_record_tracciato(Scrittore& w, const tabella_tracciato& t) {
  const forma_colonne f = forma(t);
  ScrittoreAPosizione wy(w, w.posizione() + byte_colonna(t, f));
  for (int32_t m = 0; m < f.origine; ++m) {
    scrivi_elemento(w, t.tipo(m), tabella_tracciato::valore_origine(m, false));
    scrivi_elemento(wy, t.tipo(m), tabella_tracciato::valore_origine(m, true));
  }
  scrivi_calcolati(w, wy, t, f.calcolati);
  scrivi_vuoti(w, f.vuoti);
  scrivi_vuoti(wy, f.vuoti);
  wy.svuota();
}

Status Form1::scrivi_file_binari() {
  if (scrivi_tracciato != 0) {
    Status s = sostituisci_file(fs, percorso(nome_file_tracciato(nome_linea)),
                                [&](Scrittore& w) { scrivi_record_tracciato(w, tracciato); });
    if (!s.is_ok()) return s;
  }
  Status s = sostituisci_file(fs, percorso(nome_file_voci(nome_linea, numero_treno)), [&](Scrittore& w) {
    for (const voce& v : voci) scrivi_record_voce(w, v);
  });
  if (!s.is_ok()) return s;
  return sostituisci_file(fs, percorso(nome_file_griglia(nome_linea, numero_treno)), [&](Scrittore& w) {
    for (const cella& c : griglia_celle) scrivi_record_cella(w, c);
  });
}

}  // namespace binario
