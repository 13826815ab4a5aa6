#include "base/status.h"

namespace binario {

std::string Status::to_string() const {
  switch (tipo_) {
    case Tipo::ok:
      return "OK";
    case Tipo::fatale:
      return descrizione_;
    case Tipo::io:
      break;
  }
  std::string s = "Errore " + std::to_string(numero_) + ": " + descrizione_;
  if (!file_.empty()) s += " (" + file_ + ")";
  return s;
}

}  // namespace binario
