#include "compile/records.h"

#include <cstdint>
#include <string>

#include "base/status.h"

namespace binario {

void tabella_tracciato::crea(int32_t ultimo_metro) {
  if (ultimo_metro < 0) throw guasto_imprevisto("tracciato: lunghezza negativa");
  tratti_.clear();
  ultimo_ = ultimo_metro;
  origine_ = false;
  prossimo_ = 2;
}

void tabella_tracciato::distruggi() {
  tratti_ = {};
  ultimo_ = -1;
  origine_ = false;
  prossimo_ = 2;
}

void tabella_tracciato::poni_origine() {
  if (ultimo_metro() < 1) throw guasto_imprevisto("tracciato: nessuno spazio per l'origine");
  // The traced metres start from the origin: placed later, it would move them.
  if (prossimo_ != 2) throw guasto_imprevisto("tracciato: origine posta dopo il metro " + std::to_string(prossimo_ - 1));
  origine_ = true;
}

void tabella_tracciato::avanza(double k, int32_t metri) {
  if (metri <= 0) return;
  const int32_t entro = prossimo_ > ultimo_ ? 0 : std::min(metri, ultimo_ - prossimo_ + 1);
  if (entro > 0) {
    if (!tratti_.empty() && tratti_.back().k == k)
      tratti_.back().metri += entro;
    else
      tratti_.push_back({k, entro});
    prossimo_ += entro;
  }
  if (entro < metri)
    throw guasto_imprevisto("tracciato: metro " + std::to_string(prossimo_) + " fuori dalla tabella");
}

tabella_tracciato::tipo_elemento tabella_tracciato::tipo(int32_t metro) const {
  if (metro < 2) return origine_ ? tipo_elemento::intero : tipo_elemento::vuoto;
  return metro < prossimo_ ? tipo_elemento::reale : tipo_elemento::vuoto;
}

}  // namespace binario
