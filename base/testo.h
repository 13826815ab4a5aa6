#pragma once
// Text files: every text the program writes goes through scrivi_file_testo,
// one byte per character in Windows-1252, each line ended by CR LF.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "base/filesystem.h"

namespace binario {

// The marker a writer stores right after its last line; it is never written.
inline constexpr std::string_view kFineRighe = "riferimento fine del file";

// A writer's line table: 1001 entries, indexes 0 to 1000.
using tabella_righe = std::array<std::string, 1001>;

// Writes every entry of `righe` up to the end marker, each followed by CR LF,
// replacing the file `nome_file`. The strings are already Windows-1252 bytes.
Status scrivi_file_testo(FileSystem& fs, const tabella_righe& righe, const std::string& nome_file);

// Converts UTF-8 text to Windows-1252, one byte per character. Characters
// without a Windows-1252 byte, and bytes that are not UTF-8, become '?'.
std::string cp1252(std::string_view utf8);

// The same conversion for an identity, which must not change silently: the
// Windows-1252 bytes, or why the text cannot become them (not UTF-8, or the
// first character Windows-1252 cannot hold, named with its code point).
struct conversione_cp1252 {
  std::string byte;
  std::optional<std::string> rifiuto;
};
conversione_cp1252 converti_cp1252(std::string_view utf8);

// Windows-1252 bytes back to UTF-8: for file names (the name an identity
// gives a file on disk is the one its author typed) and for whatever a tool
// shows. ASCII stays as it is; the five bytes Windows-1252 leaves undefined
// become U+FFFD.
std::string utf8_da_cp1252(std::string_view byte);

// Where the first UTF-8 sequence of two or more bytes begins in `byte`, and
// its length. A Windows-1252 text holds one only by chance (it reads as two
// or three characters, "Ã€" for "À"): a text that does was most likely
// saved as UTF-8.
struct sequenza_utf8 {
  size_t inizio;
  size_t lunghezza;
};
std::optional<sequenza_utf8> prima_sequenza_utf8(std::string_view byte);

}  // namespace binario
