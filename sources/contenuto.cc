#include "app/form1.h"
#include "app/nomi_file.h"

namespace binario {

tabella_righe Form1::righe_linea() {
  tabella_righe r;
  r[0] = std::string(kFineRighe);
  return r;
}
tabella_righe Form1::righe_treno() {
  tabella_righe r;
  r[0] = std::string(kFineRighe);
  return r;
}
Status Form1::dati_linea() { return scrivi_file_testo(fs, righe_linea(), percorso(nome_descrizione_linea(nome_linea))); }
Status Form1::dati_treno() {
  return scrivi_file_testo(fs, righe_treno(), percorso(nome_descrizione_servizio(nome_linea, numero_treno)));
}

}  // namespace binario
