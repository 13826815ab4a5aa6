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

// Writes the two description texts into `cartella` (an existing directory)
// and, with `documenti`, the three driver documents.
esito_esportazione esporta(FileSystem& fs, const std::string& cartella, bool documenti);

}  // namespace binario
