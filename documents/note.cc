#include "app/form1.h"
#include "app/nomi_file.h"

namespace binario {

tabella_righe Form1::righe_note() {
  tabella_righe r;
  r[0] = std::string(kFineRighe);
  return r;
}
Status Form1::dati_note() { return scrivi_file_testo(fs, righe_note(), percorso(nome_note(nome_linea, numero_treno))); }

}  // namespace binario
