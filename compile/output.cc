#include "compile/output.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "app/form1.h"
#include "base/memoria.h"
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

// One element: its 2-byte kind, then its value in the bytes the kind gives.
void scrivi_elemento(Scrittore& w, tabella_tracciato::tipo_elemento k, double v) {
  using tipo = tabella_tracciato::tipo_elemento;
  w.u16(static_cast<uint16_t>(k));
  if (k == tipo::intero)
    w.i16(static_cast<int16_t>(v));
  else if (k == tipo::reale)
    w.f64(v);
}

using stato = tabella_tracciato::stato;

// The states noted while tracing the x column: one every kTappa metres, so
// that the y column can be traced again from several of them side by side.
// Each tracing waits on its own last result; kCatene of them in one loop take
// about the time of one.
constexpr int32_t kCatene = 4;
constexpr size_t kPasso = 10;  // a computed element: its kind and a double
constexpr int32_t kTappa = static_cast<int32_t>(Scrittore::kMassimoRiservato / (kCatene * kPasso));
constexpr auto kReale = static_cast<uint16_t>(tabella_tracciato::tipo_elemento::reale);

// `n` empty elements, their 2-byte kind alone, encoded in place a block at a
// time.
static_assert(static_cast<uint16_t>(tabella_tracciato::tipo_elemento::vuoto) == 0, "an empty element is two zero bytes");
void scrivi_vuoti(Scrittore& w, int32_t n) {
  constexpr auto kPerBlocco = static_cast<int32_t>(Scrittore::kMassimoRiservato / 2);
  for (int32_t fatti = 0; fatti < n;) {
    const int32_t quanti = std::min(kPerBlocco, n - fatti);
    std::memset(w.riserva(static_cast<size_t>(quanti) * 2), 0, static_cast<size_t>(quanti) * 2);
    fatti += quanti;
  }
}

// `quanti` computed elements traced on from `s`, x or y, into the next
// reserved block. The state stays in a local copy through the loop, out of
// reach of the bytes written.
void scrivi_tratto(Scrittore& w, const tabella_tracciato& t, stato& s, int32_t quanti, bool y) {
  unsigned char* p = w.riserva(static_cast<size_t>(quanti) * kPasso);
  stato c = s;
  for (int32_t i = 0; i < quanti; ++i, p += kPasso) {
    const tabella_tracciato::punto q = t.passo(c);
    scrivi_le16(p, kReale);
    scrivi_le64(p + 2, y ? q.y : q.x);
  }
  s = c;
}

// Metres 0 and 1 are the origin's integers (or empty); the computed metres
// follow from 2 without a gap, and the rest stay empty. `calcolati` writes
// the computed metres' values, given how many there are.
template <typename F>
void scrivi_colonna(Scrittore& w, const tabella_tracciato& t, bool y, F&& calcolati) {
  const int32_t ultimo = t.ultimo_metro();
  int32_t m = 0;
  for (; m <= ultimo && m < 2; ++m) scrivi_elemento(w, t.tipo(m), tabella_tracciato::valore_origine(m, y));
  const int32_t fine = std::min(std::max(t.prossimo_metro(), m), ultimo + 1);
  calcolati(fine - m);
  scrivi_vuoti(w, ultimo + 1 - fine);
}

// The x of `n` computed metres, traced one after the other; the state before
// every kTappa-th metre goes to `tappe`.
void scrivi_x(Scrittore& w, const tabella_tracciato& t, int32_t n, std::vector<stato>& tappe) {
  tappe.reserve(static_cast<size_t>(n / kTappa) + 1);
  prepara_pagine(tappe.data(), tappe.capacity() * sizeof(stato));
  stato s = t.inizio();
  for (int32_t fatti = 0; fatti < n; fatti += kTappa) {
    tappe.push_back(s);
    scrivi_tratto(w, t, s, std::min(kTappa, n - fatti), false);
  }
}

// The y of the same metres, kCatene stretches of kTappa metres at a time,
// each traced from its noted state into its place in one reserved block; the
// stretches left over one at a time.
void scrivi_y(Scrittore& w, const tabella_tracciato& t, int32_t n, const std::vector<stato>& tappe) {
  int32_t fatti = 0;
  for (; n - fatti >= kCatene * kTappa; fatti += kCatene * kTappa) {
    unsigned char* p = w.riserva(static_cast<size_t>(kCatene * kTappa) * kPasso);
    std::array<stato, kCatene> c;
    std::copy_n(tappe.begin() + fatti / kTappa, kCatene, c.begin());
    for (int32_t i = 0; i < kTappa; ++i)
      for (int32_t j = 0; j < kCatene; ++j) {
        unsigned char* q = p + static_cast<size_t>(j * kTappa + i) * kPasso;
        scrivi_le16(q, kReale);
        scrivi_le64(q + 2, t.passo(c[static_cast<size_t>(j)]).y);
      }
  }
  for (; fatti < n; fatti += kTappa) {
    stato s = tappe[static_cast<size_t>(fatti / kTappa)];
    scrivi_tratto(w, t, s, std::min(kTappa, n - fatti), true);
  }
}

}  // namespace

void scrivi_record_tracciato(Scrittore& w, const tabella_tracciato& t) {
  std::vector<stato> tappe;
  scrivi_colonna(w, t, false, [&](int32_t n) { scrivi_x(w, t, n, tappe); });
  scrivi_colonna(w, t, true, [&](int32_t n) { scrivi_y(w, t, n, tappe); });
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
