#pragma once
// The line identifier and the train number given on the command line become
// parts of file names inside the author's directory, so a value that could
// name a file elsewhere (or no file at all) is refused before anything is read.
// They are typed in UTF-8 and go into the records and the competition codes
// in Windows-1252, so a character that has no byte there is refused too.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace binario {

// The longest file name a file system takes, in bytes, less what the
// temporary beside it adds (".", ".XXXXXX.tmp").
inline constexpr size_t kMassimoNomeFile = 255 - 12;

// Why `valore` cannot be part of a file name, in Italian, or nothing when it can.
std::optional<std::string> motivo_nome_rifiutato(std::string_view valore);

// Why the two values, each accepted alone, cannot name the scenario's files
// together: two files would share a name, or a name would be too long.
std::optional<std::string> motivo_coppia_rifiutata(const std::string& linea, const std::string& treno);

// The Windows-1252 bytes of an accepted value.
std::string identita_cp1252(std::string_view valore);

}  // namespace binario
