#include "compile/output.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "app/form1.h"
#include "base/nomi_file.h"
#include "base/status.h"

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

// A run of `n` elements of one kind, each encoded in place a block at a
// time, since a long plan has a million of them. Every block is asked for
// at the size of the elements it will hold, so none is left part empty.
class serie {
 public:
  serie(Scrittore& w, tabella_tracciato::tipo_elemento k, int32_t n)
      : w_(w), k_(k), passo_(2 + tabella_tracciato::byte_valore(k)), restanti_(n) {}
  int32_t restanti() const { return restanti_; }

  void elemento(double v) {
    if (restanti_ <= 0) throw guasto_imprevisto("tracciato: un elemento oltre la colonna");
    if (nel_blocco_ == 0) blocco();
    scrivi_le16(p_, static_cast<uint16_t>(k_));
    if (k_ == tabella_tracciato::tipo_elemento::reale) scrivi_le64(p_ + 2, v);
    p_ += passo_;
    --nel_blocco_;
    --restanti_;
  }

 private:
  void blocco() {
    nel_blocco_ = std::min(static_cast<int32_t>(Scrittore::kMassimoRiservato / passo_), restanti_);
    p_ = w_.riserva(static_cast<size_t>(nel_blocco_) * passo_);
  }

  Scrittore& w_;
  const tabella_tracciato::tipo_elemento k_;
  const size_t passo_;
  int32_t restanti_;
  int32_t nel_blocco_ = 0;
  unsigned char* p_ = nullptr;
};

using stato = tabella_tracciato::stato;

// The states noted while tracing the x column: one every kTappa metres, so
// that the y column can be traced again from several of them side by side.
// Each tracing waits on its own last result; kCatene of them in one loop take
// about the time of one.
constexpr int32_t kCatene = 4;
constexpr int32_t kTappa = static_cast<int32_t>(Scrittore::kMassimoRiservato / (kCatene * 10));

// Metres 0 and 1 are the origin's integers (or empty); the computed metres
// follow from 2 without a gap, and the rest stay empty. `calcolati` writes
// the computed metres' values, given how many there are.
template <typename F>
void scrivi_colonna(Scrittore& w, const tabella_tracciato& t, bool y, F&& calcolati) {
  using tipo = tabella_tracciato::tipo_elemento;
  const int32_t ultimo = t.ultimo_metro();
  int32_t m = 0;
  for (; m <= ultimo && m < 2; ++m) scrivi_elemento(w, t.tipo(m), tabella_tracciato::valore_origine(m, y));
  const int32_t fine = std::min(std::max(t.prossimo_metro(), m), ultimo + 1);
  calcolati(fine - m);
  serie vuoti(w, tipo::vuoto, ultimo + 1 - fine);
  while (vuoti.restanti() > 0) vuoti.elemento(0);
}

constexpr size_t kPasso = 10;  // a computed element: its kind and a double

// The x of `n` computed metres, traced one after the other; the state before
// every kTappa-th metre goes to `tappe`. The state stays in local copies
// through each block, out of reach of the bytes written.
void scrivi_x(Scrittore& w, const tabella_tracciato& t, int32_t n, std::vector<stato>& tappe) {
  const auto reale = static_cast<uint16_t>(tabella_tracciato::tipo_elemento::reale);
  tappe.reserve(static_cast<size_t>(n / kTappa) + 1);
  stato s = t.inizio();
  for (int32_t fatti = 0; fatti < n;) {
    tappe.push_back(s);
    const int32_t quanti = std::min(kTappa, n - fatti);
    unsigned char* p = w.riserva(static_cast<size_t>(quanti) * kPasso);
    stato c = s;
    for (int32_t i = 0; i < quanti; ++i, p += kPasso) {
      scrivi_le16(p, reale);
      scrivi_le64(p + 2, t.passo(c).x);
    }
    s = c;
    fatti += quanti;
  }
}

// The y of the same metres, kCatene stretches of kTappa metres at a time,
// each traced from its noted state into its place in one reserved block.
void scrivi_y(Scrittore& w, const tabella_tracciato& t, int32_t n, const std::vector<stato>& tappe) {
  const auto reale = static_cast<uint16_t>(tabella_tracciato::tipo_elemento::reale);
  int32_t fatti = 0;
  for (; n - fatti >= kCatene * kTappa; fatti += kCatene * kTappa) {
    unsigned char* p = w.riserva(static_cast<size_t>(kCatene * kTappa) * kPasso);
    std::array<stato, kCatene> c;
    std::copy_n(tappe.begin() + fatti / kTappa, kCatene, c.begin());
    for (int32_t i = 0; i < kTappa; ++i)
      for (int32_t j = 0; j < kCatene; ++j) {
        unsigned char* q = p + static_cast<size_t>(j * kTappa + i) * kPasso;
        scrivi_le16(q, reale);
        scrivi_le64(q + 2, t.passo(c[static_cast<size_t>(j)]).y);
      }
  }
  while (fatti < n) {
    const int32_t quanti = std::min(kTappa, n - fatti);
    unsigned char* p = w.riserva(static_cast<size_t>(quanti) * kPasso);
    stato c = tappe[static_cast<size_t>(fatti / kTappa)];
    for (int32_t i = 0; i < quanti; ++i, p += kPasso) {
      scrivi_le16(p, reale);
      scrivi_le64(p + 2, t.passo(c).y);
    }
    fatti += quanti;
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
