#include "tools/vista.h"

namespace binario {

// Placeholder until the drawing lands: the model holds only the diagnostics.
nlohmann::ordered_json modello_da_testi(FileSystem& disco, const richiesta_compilazione& richiesta) {
  richiesta_compilazione in_memoria = richiesta;
  nlohmann::ordered_json m;
  m["diagnostica"] = nlohmann::ordered_json::object();
  (void)disco;
  (void)in_memoria;
  return m;
}

nlohmann::ordered_json modello_da_binari(FileSystem& disco, const richiesta_compilazione& richiesta) {
  (void)disco;
  (void)richiesta;
  return nlohmann::ordered_json::object();
}

std::string pagina_vista(const nlohmann::ordered_json& modello, bool dal_vivo) {
  std::string pagina = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>binario</title></head><body>";
  pagina += "<script type=\"application/json\" id=\"modello\">" + modello.dump() + "</script>";
  if (dal_vivo)
    pagina +=
        "<script>new EventSource('/eventi').addEventListener('compilato',()=>fetch('/vista.json'));</script>";
  return pagina + "</body></html>";
}

}  // namespace binario
