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

}  // namespace

void scrivi_record_voce(Scrittore& w, const voce& v) { campi_voce(v, scrivi_campo{w}); }

void scrivi_record_cella(Scrittore& w, const cella& c) { campi_cella(c, scrivi_campo{w}); }

namespace {

// One element: its 2-byte kind, then its value in the bytes the kind gives.
void scrivi_elemento(Scrittore& w, tabella_tracciato::tipo_elemento k, double v) {
  using tipo = tabella_tracciato::tipo_elemento;
  w.u16(static_cast<uint16_t>(k));
  if (k == tipo::intero)
    w.i16(static_cast<int16_t>(v));
  else if (k == tipo::reale)
    w.f64(v);
}

void scrivi_le16(unsigned char* p, uint16_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}

void scrivi_le64(unsigned char* p, double v) {
  uint64_t u;
  std::memcpy(&u, &v, sizeof u);
  for (int i = 0; i < 8; ++i) p[i] = static_cast<unsigned char>(u >> (8 * i));
}

// Elements `da` to `a` - 1, all of kind `k` (every one of them computed, or
// every one empty): the same bytes as element by element, encoded in place
// a block at a time, since a long plan has a million of them.
void scrivi_serie(Scrittore& w, tabella_tracciato::tipo_elemento k, const tabella_tracciato& t, bool y, int32_t da,
                  int32_t a) {
  const size_t passo = 2 + tabella_tracciato::byte_valore(k);
  const auto per_blocco = static_cast<int32_t>(Scrittore::kMassimoRiservato / passo);
  const bool reale = k == tabella_tracciato::tipo_elemento::reale;
  for (int32_t m = da; m < a;) {
    const int32_t fine = a - m > per_blocco ? m + per_blocco : a;
    unsigned char* p = w.riserva(static_cast<size_t>(fine - m) * passo);
    for (; m < fine; ++m, p += passo) {
      scrivi_le16(p, static_cast<uint16_t>(k));
      if (reale) scrivi_le64(p + 2, y ? t.y(m) : t.x(m));
    }
  }
}

// Metres 0 and 1 are the origin's integers (or empty); the computed metres
// follow from 2 without a gap, and the rest stay empty.
void scrivi_colonna(Scrittore& w, const tabella_tracciato& t, bool y) {
  using tipo = tabella_tracciato::tipo_elemento;
  const int32_t ultimo = t.ultimo_metro();
  int32_t m = 0;
  for (; m <= ultimo && m < 2; ++m) scrivi_elemento(w, t.tipo(m), y ? t.y(m) : t.x(m));
  const int32_t calcolati = std::min(std::max(t.prossimo_metro(), m), ultimo + 1);
  scrivi_serie(w, tipo::reale, t, y, m, calcolati);
  scrivi_serie(w, tipo::vuoto, t, y, calcolati, ultimo + 1);
}

}  // namespace

void scrivi_record_tracciato(Scrittore& w, const tabella_tracciato& t) {
  scrivi_colonna(w, t, false);
  scrivi_colonna(w, t, true);
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
