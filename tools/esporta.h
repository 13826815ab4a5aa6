#pragma once
// `binario export`: the built-in scenario's description texts, written by the
// same writers genera uses, as a template for an author's own line.

#include <optional>
#include <string>
#include <vector>

#include "base/filesystem.h"

namespace binario {

struct esito_esportazione {
  std::vector<std::string> scritti;  // paths, in the order written
  std::optional<std::string> guasto; // the failed file operation that stopped it
};

struct richiesta_esportazione {
  std::string cartella;  // an existing directory
  bool documenti = false;
  std::string linea;     // the author's names; empty for the built-in ones
  std::string treno;
};

// Writes the two description texts into `cartella` and, with `documenti`,
// the three driver documents.
esito_esportazione esporta(FileSystem& fs, const richiesta_esportazione& r);
esito_esportazione esporta(FileSystem& fs, const std::string& cartella, bool documenti);

// The files `esporta` would write that already exist.
std::vector<std::string> esistenti(FileSystem& fs, const richiesta_esportazione& r);

}  // namespace binario
