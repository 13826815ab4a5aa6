#pragma once
// The names of the files of one scenario, from the line identifier and the
// train number.

#include <string>

namespace binario {

std::string nome_descrizione_linea(const std::string& linea);                                // L_linea.txt
std::string nome_descrizione_servizio(const std::string& linea, const std::string& treno);   // L_T-.txt
std::string nome_note(const std::string& linea, const std::string& treno);                   // L_T_note.txt
std::string nome_rallentamenti(const std::string& linea, const std::string& treno);          // L_T_rallentamenti.txt
std::string nome_scheda(const std::string& linea, const std::string& treno);                 // L_T_scheda_treno.txt
std::string nome_file_tracciato(const std::string& linea);                                   // L_linea.dat
std::string nome_file_voci(const std::string& linea, const std::string& treno);              // L_T.sim
std::string nome_file_griglia(const std::string& linea, const std::string& treno);           // L_T.dat

}  // namespace binario
