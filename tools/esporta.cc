#include "tools/esporta.h"

#include <memory>
#include <utility>

#include "app/form1.h"
#include "app/nomi_file.h"
#include "app/run.h"

namespace binario {

esito_esportazione esporta(FileSystem& fs, const std::string& cartella, bool documenti) {
  Form1 form(fs, cartella, '/');
  form.nome_linea = kNomeLinea;
  form.numero_treno = kNumeroTreno;
  const std::string& l = form.nome_linea;
  const std::string& t = form.numero_treno;
  using Passo = Status (Form1::*)();
  std::vector<std::pair<Passo, std::string>> passi = {{&Form1::dati_linea, nome_descrizione_linea(l)},
                                                      {&Form1::dati_treno, nome_descrizione_servizio(l, t)}};
  if (documenti) {
    passi.push_back({&Form1::dati_note, nome_note(l, t)});
    passi.push_back({&Form1::dati_rallentamenti, nome_rallentamenti(l, t)});
    passi.push_back({&Form1::dati_scheda, nome_scheda(l, t)});
  }
  esito_esportazione esito;
  // Held while writing, so that a compile of the same directory never reads
  // a text being replaced.
  std::unique_ptr<BloccoCartella> blocco;
  if (Status s = fs.lock_directory(cartella, kAttesaCartellaMs, &blocco); !s.is_ok()) {
    esito.guasto = s.to_string();
    return esito;
  }
  for (const auto& [passo, nome] : passi) {
    Status s = (form.*passo)();
    if (!s.is_ok()) {
      esito.guasto = s.to_string();
      break;
    }
    esito.scritti.push_back(form.percorso(nome));
  }
  return esito;
}

}  // namespace binario
