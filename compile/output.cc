#include "compile/output.h"

#include <algorithm>

#include "app/form1.h"
#include "base/nomi_file.h"

namespace binario {

void scrivi_record_voce(Scrittore& w, const voce& v) {
  // The reader refuses longer names; the length field holds 16 bits.
  const size_t n = std::min<size_t>(v.nome.size(), 0xFFFF);
  w.byte(v.tipo);
  w.i32(v.inizio_zona);
  w.i32(v.fine_zona);
  w.i32(v.posizione);
  w.byte(v.colonna_4);
  w.u16(static_cast<uint16_t>(n));
  w.bytes(std::string_view(v.nome).substr(0, n));
  w.i16(v.colonna_7);
  w.i16(v.colonna_8);
  w.i16(v.colonna_10);
  w.i16(v.colonna_11);
  w.i16(v.colonna_12);
  w.byte(v.colonna_9);
  w.byte(v.colonna_13);
  w.byte(v.colonna_6);
  w.byte(v.colonna_5);
  w.i32(v.orario);
}

void scrivi_record_cella(Scrittore& w, const cella& c) {
  w.byte(c.tipo);
  w.i16(c.valore_a);
  w.i16(c.valore_b);
  w.i16(c.valore_c);
  w.i16(c.valore_d);
  w.byte(c.tempo_segnale);
  w.byte(c.codice_avviso);
  w.byte(c.tipo_montagna);
  w.byte(c.velocita_limite);
  w.byte(c.pendenza);
  w.byte(c.aderenza);
}

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
