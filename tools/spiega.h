#pragma once
// `binario explain CODE|KEY` and the reference page in docs/, both from the
// tables of codes (compile/codici.h) and keys (sources/chiavi.h).

#include <optional>
#include <string>
#include <string_view>

namespace binario {

// The explanation of a code ("16"), a check's short name ("fuori-griglia")
// or a key ("pendenza"); nothing when the word is none of them.
std::optional<std::string> spiega(std::string_view parola);

// The words `spiega` knows that come closest to `parola`, for a did-you-mean.
std::optional<std::string> parola_vicina(std::string_view parola);

// docs/codici.md as it must read: a test keeps the file equal to it.
std::string pagina_riferimento();

}  // namespace binario
