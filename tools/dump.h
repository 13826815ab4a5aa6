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
std::string riga_cella(int indice, const cella& c);
std::string riga_metro(int metro, const elemento_tracciato& x, const elemento_tracciato& y);

// Decodes a file of kind `tipo` and `byte` bytes and writes it to `out`,
// one record at a time. `in` and `in_y` are two streams over the file (the
// plan reads its two columns side by side). A file that does not decode
// throws errore_decodifica before anything is written.
void scrivi_dump(std::istream& in, std::istream& in_y, size_t byte, tipo_file tipo, bool json, std::ostream& out);
// The same for a file held in memory.
void scrivi_dump(std::string_view dati, tipo_file tipo, bool json, std::ostream& out);

}  // namespace binario
