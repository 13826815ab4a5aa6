#include "tools/identita.h"

namespace binario {

std::optional<std::string> motivo_nome_rifiutato(std::string_view valore) {
  if (valore.empty()) return "è vuoto";
  if (valore.find("..") != std::string_view::npos) return "contiene \"..\"";
  for (char c : valore) {
    if (c == '/' || c == '\\') return "contiene un separatore di percorso";
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) return "contiene un carattere di controllo";
  }
  return std::nullopt;
}

}  // namespace binario
