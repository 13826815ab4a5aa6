#pragma once
// The checking pass over what the reader never reached: after an error
// stops the reading, the rest of the texts are still checked line by line,
// on their own, so that an author hears of every mistake in one run. It
// reads only the texts and the key table; the compiled state never sees it.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "sources/chiavi.h"
#include "tools/compila.h"

namespace binario {

struct righe_testo {
  std::string_view percorso;
  testo_descrizione testo;
  std::vector<std::string_view> righe;  // without line ends; index 0 is line 1
};

// Checks lines `dalla_riga` (from 1) to the end and appends what it finds,
// each marked dopo_arresto. Each list is kept to kMassimoAvvisi entries;
// false when something found was not kept or lines were left unchecked.
bool controlla_righe(const righe_testo& t, int dalla_riga, std::vector<diagnostica>& errori,
                     std::vector<avviso>& avvisi);

// What a whole text shows and none of its key lines does by itself: an
// empty file, one without any key, text after "[fine]", UTF-8 where
// Windows-1252 is read, a name a comma cut short, an item past the line's
// end. It all compiles, and hardly ever as the author meant.
struct quadro_testo {
  std::optional<int64_t> lunghezza;  // the line's length, when the reader took one
  std::string_view file_lunghezza;   // where it is written, for the note
  int riga_lunghezza = 0;
  int arresto = 0;                   // the reading of this text stopped at this line (0: it did not)
};
// False when a warning found was not kept (`avvisi` holds kMassimoAvvisi).
bool avvisa_testo(const righe_testo& t, const quadro_testo& q, std::vector<avviso>& avvisi);

// The line of the line text that gives its length, 0 when none does.
int riga_della_lunghezza(const righe_testo& linea);

}  // namespace binario
