#include "tools/messaggi.h"

#include <vector>

#include "compile/codici.h"

namespace binario {

std::span<const int32_t> codici_compilazione() {
  static const std::vector<int32_t> codici = [] {
    std::vector<int32_t> v;
    for (const voce_codice& c : tabella_codici())
      if (c.codice < 1250) v.push_back(c.codice);
    return v;
  }();
  return codici;
}

std::string_view messaggio_errore(int32_t codice) {
  const voce_codice* v = voce_di_codice(codice);
  return v != nullptr ? v->messaggio : kMessaggioCodiceSconosciuto;
}

}  // namespace binario
