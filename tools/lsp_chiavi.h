#pragma once
// The keys of the two description texts as an editor needs them: which
// section holds them, what their fields mean. Hover, completion and the
// spelling suggestions all read this one table.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace binario {

enum class testo_descrizione { linea, servizio };

struct campo_chiave {
  std::string_view nome;
  std::string_view unita;       // empty for a pure number or a text
  std::string_view intervallo;  // what the compile accepts, in words
};

struct chiave_descrizione {
  std::string_view chiave;   // as the built-in writer spells it
  std::string_view sezione;  // "[generale]", "[segnali]"...
  testo_descrizione testo;
  std::string_view descrizione;
  std::vector<campo_chiave> campi;
  // The reader's test: all of these substrings in the first field, compared
  // in any case unless `caso_esatto`.
  std::vector<std::string_view> sottostringhe;
  bool caso_esatto = false;
};

const std::vector<chiave_descrizione>& tabella_chiavi();

// The section headers of each text, in the order the built-in writer uses.
const std::vector<std::string_view>& sezioni_di(testo_descrizione t);

// The key a line's first field stands for, by the substrings the reader
// tests (so "curvad5" is a curve and "PENDENZA" a gradient).
const chiave_descrizione* chiave_di(std::string_view primo_campo, testo_descrizione t);

// The closest key of the text to a field that matched none, when the field
// is near enough to one to be a misspelling of it.
std::optional<std::string> chiave_simile(std::string_view campo, testo_descrizione t);

}  // namespace binario
