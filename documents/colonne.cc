#include "documents/colonne.h"

namespace binario {

std::string a_sinistra(std::string testo, size_t larghezza) {
  if (testo.size() < larghezza) testo.append(larghezza - testo.size(), ' ');
  return testo;
}

std::string a_destra(const std::string& testo, size_t larghezza) {
  if (testo.size() >= larghezza) return testo;
  return std::string(larghezza - testo.size(), ' ') + testo;
}

}  // namespace binario
