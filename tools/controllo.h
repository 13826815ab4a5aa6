#pragma once
// The checking pass over what the reader never reached: after an error
// stops the reading, the rest of the texts are still checked line by line,
// on their own, so that an author hears of every mistake in one run. It
// reads only the texts and the key table; the compiled state never sees it.

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
// each marked dopo_arresto.
void controlla_righe(const righe_testo& t, int dalla_riga, std::vector<diagnostica>& errori,
                     std::vector<avviso>& avvisi);

}  // namespace binario
