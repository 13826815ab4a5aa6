#include "app/run.h"

#include <cstdlib>
#include <memory>
#include <string>

#include "app/form1.h"
#include "app/errore.h"

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
  const std::string cartella = piattaforma.cartella_programma();
  if (cartella.empty()) {
    // The working directory is no substitute: the files would land where
    // nobody looks for them, or over someone else's.
    piattaforma.messaggio(Status::io(kErroreCartellaIgnota, "Path not found: the program's own directory is unknown; "
                                     "nothing was written", "").to_string());
    piattaforma.termina(kUscitaPassoFallito);
  }
  Form1 form(fs, {kNomeLinea, kNumeroTreno, cartella, piattaforma.separatore()});
  piattaforma.mostra_finestra();
  piattaforma.ridisegna_finestra();
  // Held until the process ends: a second run waits, and past the wait
  // stops before writing anything.
  std::unique_ptr<BloccoCartella> blocco;
  Status s = fs.lock_directory(cartella, kAttesaCartellaMs, &blocco);
  // The window gets its repaint before each long step, not only the first.
  if (s.is_ok()) s = form.esegui_passi([&piattaforma] { piattaforma.ridisegna_finestra(); });
  if (s.is_fatale()) errore(piattaforma, form, std::to_string(s.numero()));
  if (!s.is_ok()) {
    piattaforma.messaggio(s.to_string());
    piattaforma.termina(kUscitaPassoFallito);
  }
  piattaforma.termina(0);
  std::abort();  // termina does not return
}

}  // namespace binario
