#include "tools/esporta.h"

#include <memory>
#include <utility>

#include "app/form1.h"
#include "base/nomi_file.h"
#include "app/run.h"

namespace binario {

namespace {

using Passo = Status (Form1::*)();

std::vector<std::pair<Passo, std::string>> passi_di(const Form1& form, bool documenti) {
  const std::string& l = form.nome_linea;
  const std::string& t = form.numero_treno;
  std::vector<std::pair<Passo, std::string>> passi = {{&Form1::dati_linea, nome_descrizione_linea(l)},
                                                      {&Form1::dati_treno, nome_descrizione_servizio(l, t)}};
  if (documenti) {
    passi.push_back({&Form1::dati_note, nome_note(l, t)});
    passi.push_back({&Form1::dati_rallentamenti, nome_rallentamenti(l, t)});
    passi.push_back({&Form1::dati_scheda, nome_scheda(l, t)});
  }
  return passi;
}

identita_scenario identita(const richiesta_esportazione& r) {
  return {r.linea.empty() ? std::string(kNomeLinea) : r.linea, r.treno.empty() ? std::string(kNumeroTreno) : r.treno,
          r.cartella, '/'};
}

}  // namespace

std::vector<std::string> esistenti(FileSystem& fs, const richiesta_esportazione& r) {
  Form1 form(fs, identita(r));
  std::vector<std::string> out;
  for (const auto& passo : passi_di(form, r.documenti))
    if (fs.exists(form.percorso(passo.second))) out.push_back(form.percorso(passo.second));
  return out;
}

esito_esportazione esporta(FileSystem& fs, const std::string& cartella, bool documenti) {
  return esporta(fs, richiesta_esportazione{cartella, documenti, "", ""});
}

esito_esportazione esporta(FileSystem& fs, const richiesta_esportazione& r) {
  Form1 form(fs, identita(r));
  esito_esportazione esito;
  // Held while writing, so that a compile of the same directory never reads
  // a text being replaced.
  std::unique_ptr<BloccoCartella> blocco;
  if (Status s = fs.lock_directory(r.cartella, kAttesaCartellaMs, &blocco); !s.is_ok()) {
    esito.guasto = s.to_string();
    return esito;
  }
  for (const auto& [passo, nome] : passi_di(form, r.documenti)) {
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
