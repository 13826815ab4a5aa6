#include "tools/identita.h"

#include "base/nomi_file.h"
#include "base/testo.h"

namespace binario {

std::optional<std::string> motivo_nome_rifiutato(std::string_view valore) {
  if (valore.empty()) return "è vuoto";
  if (valore.find("..") != std::string_view::npos) return "contiene \"..\"";
  for (char c : valore) {
    if (c == '/' || c == '\\') return "contiene un separatore di percorso";
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) return "contiene un carattere di controllo";
  }
  return converti_cp1252(valore).rifiuto;
}

std::optional<std::string> motivo_coppia_rifiutata(const std::string& linea, const std::string& treno) {
  if (auto nome = nome_in_conflitto(linea, treno))
    return "due file avrebbero lo stesso nome, " + *nome + ": uno cancellerebbe l'altro";
  for (const std::string& nome : nomi_scenario(linea, treno))
    if (nome.size() > kMassimoNomeFile)
      return "il nome di file " + nome + " sarebbe di " + std::to_string(nome.size()) + " byte, oltre il massimo di " +
             std::to_string(kMassimoNomeFile);
  return std::nullopt;
}

std::string identita_cp1252(std::string_view valore) { return converti_cp1252(valore).byte; }

}  // namespace binario
