#pragma once
// The names of the files of one scenario, from the line identifier and the
// train number.

#include <optional>
#include <string>
#include <vector>

namespace binario {

std::string nome_descrizione_linea(const std::string& linea);                                // L_linea.txt
std::string nome_descrizione_servizio(const std::string& linea, const std::string& treno);   // L_T-.txt
std::string nome_note(const std::string& linea, const std::string& treno);                   // L_T_note.txt
std::string nome_rallentamenti(const std::string& linea, const std::string& treno);          // L_T_rallentamenti.txt
std::string nome_scheda(const std::string& linea, const std::string& treno);                 // L_T_scheda_treno.txt
std::string nome_file_tracciato(const std::string& linea);                                   // L_linea.dat
std::string nome_file_voci(const std::string& linea, const std::string& treno);              // L_T.sim
std::string nome_file_griglia(const std::string& linea, const std::string& treno);           // L_T.dat

// Every name above for one identity, in the order of the table.
std::vector<std::string> nomi_scenario(const std::string& linea, const std::string& treno);

// A name that two files of the identity would share (compared without regard
// to case, as Windows and macOS compare names), or nothing: with train
// "linea" the grid file would be written over the plan file.
std::optional<std::string> nome_in_conflitto(const std::string& linea, const std::string& treno);

}  // namespace binario
