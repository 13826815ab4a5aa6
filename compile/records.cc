#include "compile/records.h"

#include <cstdint>
#include <new>
#include <string>

#if defined(__linux__)
#include <sys/mman.h>

#include <cstdlib>
#endif

#include "base/status.h"

namespace binario {

#if defined(__linux__)
namespace {
constexpr size_t kPaginaGrande = size_t{2} << 20;
// Below half a huge page the rounding would waste more than the column holds.
constexpr size_t kColonnaGrande = kPaginaGrande / 2;
}  // namespace

void* alloca_colonna(size_t byte) {
  if (byte < kColonnaGrande) return ::operator new(byte);
  if (byte > SIZE_MAX - kPaginaGrande) throw std::bad_alloc();
  const size_t intero = (byte + kPaginaGrande - 1) / kPaginaGrande * kPaginaGrande;
  void* p = std::aligned_alloc(kPaginaGrande, intero);
  if (p == nullptr) throw std::bad_alloc();
  ::madvise(p, intero, MADV_HUGEPAGE);  // only a hint: refused, the pages are just smaller
  return p;
}

void libera_colonna(void* p, size_t byte) noexcept {
  if (byte < kColonnaGrande)
    ::operator delete(p);
  else
    std::free(p);
}
#else
void* alloca_colonna(size_t byte) { return ::operator new(byte); }
void libera_colonna(void* p, size_t) noexcept { ::operator delete(p); }
#endif

void tabella_tracciato::crea(int32_t ultimo_metro) {
  if (ultimo_metro < 0) throw guasto_imprevisto("tracciato: lunghezza negativa");
  x_.assign(static_cast<size_t>(ultimo_metro) + 1, 0.0);
  y_.assign(static_cast<size_t>(ultimo_metro) + 1, 0.0);
  origine_ = false;
  prossimo_ = 2;
}

void tabella_tracciato::distruggi() {
  x_ = {};
  y_ = {};
  origine_ = false;
  prossimo_ = 2;
}

void tabella_tracciato::poni_origine() {
  if (ultimo_metro() < 1) throw guasto_imprevisto("tracciato: nessuno spazio per l'origine");
  x_[0] = 0;
  y_[0] = 0;
  x_[1] = 0;
  y_[1] = 1;
  origine_ = true;
}

void tabella_tracciato::aggiungi(int32_t metro, double x, double y) {
  if (metro != prossimo_ || metro < 2 || metro > ultimo_metro())
    throw guasto_imprevisto("tracciato: metro " + std::to_string(metro) + " fuori dalla tabella");
  x_[static_cast<size_t>(metro)] = x;
  y_[static_cast<size_t>(metro)] = y;
  ++prossimo_;
}

tabella_tracciato::tipo_elemento tabella_tracciato::tipo(int32_t metro) const {
  if (metro < 2) return origine_ ? tipo_elemento::intero : tipo_elemento::vuoto;
  return metro < prossimo_ ? tipo_elemento::reale : tipo_elemento::vuoto;
}

}  // namespace binario
