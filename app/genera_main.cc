// genera: writes the built-in scenario into the program's own directory.
#include <new>

#include "base/filesystem.h"
#include "base/platform.h"
#include "app/run.h"

int main() {
  auto piattaforma = binario::nuova_piattaforma_con_finestra();
  try {
    binario::Form_Load(*piattaforma, binario::file_system_posix());
  } catch (const std::bad_alloc&) {
    // Out of memory outside the reader (which records code 25 instead): a
    // failed step like any other, not an abort.
    piattaforma->messaggio("Errore 7: Out of memory");
    piattaforma->termina(binario::kUscitaPassoFallito);
  }
}
