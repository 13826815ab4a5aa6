#include "app/form1.h"
#include "app/nomi_file.h"

namespace binario {

tabella_righe Form1::righe_scheda() {
  tabella_righe r;
  r[0] = std::string(kFineRighe);
  return r;
}
Status Form1::dati_scheda() { return scrivi_file_testo(fs, righe_scheda(), percorso(nome_scheda(nome_linea, numero_treno))); }

}  // namespace binario
