#pragma once
// Every code a compile can leave in codice_errore, in one table: the tool's
// messages, `binario explain`, the reference page in docs/, the fuzzer's
// invariants and the tests all read it, so a code is described once.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace binario {

struct voce_codice {
  int32_t codice;
  std::string_view id;          // stable short name, such as "fuori-griglia"
  bool interrompe;              // the reading of its file ends where it is set
  std::string_view messaggio;   // what went wrong and what to do, for the author
  std::string_view causa;       // what in the texts makes it happen
  std::string_view esempio;     // a line that causes it
  std::string_view correzione;  // the same line mended
};

// The compile codes, then the two final checks (1250, 1251), in order.
std::span<const voce_codice> tabella_codici();

// The entry of `codice`, or nothing for a code the compile never records.
const voce_codice* voce_di_codice(int32_t codice);
// Same, by its short name.
const voce_codice* voce_di_id(std::string_view id);

// True for 0 and for every code the compile can leave in codice_errore.
bool codice_di_compilazione(int32_t codice);

}  // namespace binario
