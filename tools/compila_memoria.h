#pragma once
// A compile of texts that live in an editor's buffers: nothing is read from
// or written to the disk, the binary files stay in memory and are dropped.

#include <optional>
#include <string>

#include "tools/compila.h"

namespace binario {

// `testo_linea` and `testo_servizio` are the Windows-1252 bytes of the two
// texts, nothing for a text that does not exist. The diagnostics name the
// texts by their paths under `cartella`, as compila() does.
esito_compilazione compila_in_memoria(const std::string& cartella, const std::string& linea, const std::string& treno,
                                      const std::optional<std::string>& testo_linea,
                                      const std::optional<std::string>& testo_servizio, bool tracciato = true);

}  // namespace binario
