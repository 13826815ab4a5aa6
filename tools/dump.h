#pragma once
// The decoded files shown to a person (one line per record, with the field
// names of the records) or to a program (a JSON array).

#include <iosfwd>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "compile/decodifica.h"

namespace binario {

std::string riga_voce(int indice, const voce& v);
// A cell with the metres its profile values cover, its kind by name, the
// metre of the feature it holds, and speed and gradient in km/h and per mille.
std::string riga_cella(int indice, const cella& c);
std::string riga_metro(int metro, const elemento_tracciato& x, const elemento_tracciato& y);

// Decodes a file of kind `tipo` and `byte` bytes and writes it to `out`,
// one record at a time. `in` and `in_y` are two streams over the file (the
// plan reads its two columns side by side). A file that does not decode
// throws errore_decodifica before anything is written. With `non_vuote` the
// empty records (see record_vuoto) are left out.
void scrivi_dump(std::istream& in, std::istream& in_y, size_t byte, tipo_file tipo, bool json, std::ostream& out,
                 bool non_vuote = false);
// The same for a file held in memory.
void scrivi_dump(std::string_view dati, tipo_file tipo, bool json, std::ostream& out, bool non_vuote = false);

// A header record never written; a cell with no kind and no value (only the
// profiles, which run under every cell); a metre the plan did not reach.
bool record_vuoto(const voce& v);
bool record_vuoto(const cella& c);
bool record_vuoto(const elemento_tracciato& x, const elemento_tracciato& y);

// The summary of a scenario, one line per station, kilometre reference,
// signal, slowdown, board, code-change mark, `montagna` span and profile
// run, from the model of the page (modello_da_binari), so that page and
// summary read the files the same way.
void scrivi_riepilogo(const nlohmann::ordered_json& modello, std::ostream& out);

}  // namespace binario
