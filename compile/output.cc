#include "compile/output.h"

#include <algorithm>

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

void scrivi_colonna(Scrittore& w, const tabella_tracciato& t, bool y) {
  using tipo = tabella_tracciato::tipo_elemento;
  for (int32_t m = 0; m <= t.ultimo_metro(); ++m) {
    const tipo k = t.tipo(m);
    w.u16(static_cast<uint16_t>(k));
    const double v = y ? t.y(m) : t.x(m);
    if (k == tipo::intero)
      w.i16(static_cast<int16_t>(v));
    else if (k == tipo::reale)
      w.f64(v);
  }
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
