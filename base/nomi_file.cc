#include "base/nomi_file.h"

namespace binario {

std::string nome_descrizione_linea(const std::string& linea) { return linea + "_linea.txt"; }
std::string nome_descrizione_servizio(const std::string& linea, const std::string& treno) {
  return linea + "_" + treno + "-.txt";
}
std::string nome_note(const std::string& linea, const std::string& treno) { return linea + "_" + treno + "_note.txt"; }
std::string nome_rallentamenti(const std::string& linea, const std::string& treno) {
  return linea + "_" + treno + "_rallentamenti.txt";
}
std::string nome_scheda(const std::string& linea, const std::string& treno) {
  return linea + "_" + treno + "_scheda_treno.txt";
}
std::string nome_file_tracciato(const std::string& linea) { return linea + "_linea.dat"; }
std::string nome_file_voci(const std::string& linea, const std::string& treno) { return linea + "_" + treno + ".sim"; }
std::string nome_file_griglia(const std::string& linea, const std::string& treno) {
  return linea + "_" + treno + ".dat";
}

std::vector<std::string> nomi_scenario(const std::string& linea, const std::string& treno) {
  return {nome_descrizione_linea(linea),     nome_descrizione_servizio(linea, treno), nome_note(linea, treno),
          nome_rallentamenti(linea, treno), nome_scheda(linea, treno),              nome_file_tracciato(linea),
          nome_file_voci(linea, treno),     nome_file_griglia(linea, treno)};
}

std::optional<std::string> nome_in_conflitto(const std::string& linea, const std::string& treno) {
  const auto minuscolo = [](std::string s) {
    for (char& c : s)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
  };
  const std::vector<std::string> nomi = nomi_scenario(linea, treno);
  for (size_t i = 0; i < nomi.size(); ++i)
    for (size_t j = i + 1; j < nomi.size(); ++j)
      if (minuscolo(nomi[i]) == minuscolo(nomi[j])) return nomi[j];
  return std::nullopt;
}

}  // namespace binario
