#include "app/run.h"

#include <cstdlib>
#include <string>

#include "app/form1.h"
#include "compile/errore.h"

namespace binario {

Status Form1::esegui_passi(const std::function<void()>& tra_i_passi) {
  using Passo = Status (Form1::*)();
  static constexpr Passo kPassi[] = {&Form1::dati_linea, &Form1::dati_treno, &Form1::dati_note,
                                     &Form1::dati_rallentamenti, &Form1::dati_scheda};
  for (Passo passo : kPassi) {
    Status s = (this->*passo)();
    if (!s.is_ok()) return s;
    if (tra_i_passi) tra_i_passi();
  }
  return memorizza_percorso(1);
}

void Form_Load(Piattaforma& piattaforma, FileSystem& fs) {
  Form1 form(fs, piattaforma.cartella_programma(), piattaforma.separatore());
  form.nome_linea = kNomeLinea;
  form.numero_treno = kNumeroTreno;
  piattaforma.mostra_finestra();
  piattaforma.ridisegna_finestra();
  // The window gets its repaint before each long step, not only the first.
  Status s = form.esegui_passi([&piattaforma] { piattaforma.ridisegna_finestra(); });
  if (s.is_fatale()) errore(piattaforma, form, std::to_string(s.numero()));
  if (!s.is_ok()) {
    piattaforma.messaggio(s.to_string());
    piattaforma.termina(kUscitaPassoFallito);
  }
  piattaforma.termina(0);
  std::abort();  // termina does not return
}

}  // namespace binario
