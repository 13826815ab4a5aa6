#include "compile/records.h"

#include <string>

#include "app/status.h"

namespace binario {

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
