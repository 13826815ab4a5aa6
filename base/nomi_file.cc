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

}  // namespace binario
