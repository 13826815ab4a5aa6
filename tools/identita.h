#pragma once
// The line identifier and the train number given on the command line become
// parts of file names inside the author's directory, so a value that could
// name a file elsewhere (or no file at all) is refused before anything is read.

#include <optional>
#include <string>
#include <string_view>

namespace binario {

// Why `valore` cannot be part of a file name, in Italian, or nothing when it can.
std::optional<std::string> motivo_nome_rifiutato(std::string_view valore);

}  // namespace binario
