#include "app/errore.h"

#include <cstdlib>

namespace binario {

void errore(Piattaforma& piattaforma, Form1& form, const std::string& a) {
  form.risposta_messaggio = piattaforma.messaggio(" Errore n. " + a);
  piattaforma.termina(kUscitaErroreFatale);
  std::abort();  // termina does not return
}

}  // namespace binario
