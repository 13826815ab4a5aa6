#include "testing/piattaforma_finta.h"

#include "app/run.h"

namespace binario {

int esegui_form_load(Piattaforma& p, FileSystem& fs) {
  try {
    Form_Load(p, fs);
  } catch (const fine_processo& f) {
    return f.codice;
  }
  return -1;  // unreachable: Form_Load always ends the process
}

}  // namespace binario
