// The compile driver: reader, post-pass, final checks, output files.
#include "app/form1.h"

namespace binario {

Status Form1::memorizza_percorso(int32_t j) {
  prepara_compilazione(j);
  memorizza_dati();
  // Without a grid (the reader stopped before "lunghezza percorso") there is
  // nothing to check or write: no binary file is written and existing ones
  // stay as they are.
  if (!griglia_creata()) return Status::ok();
  post_pass();
  if (int32_t fatale = controlli_finali(); fatale != 0) return Status::fatale(fatale);
  return scrivi_file_binari();
}

}  // namespace binario
