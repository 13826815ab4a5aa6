#include "tools/spiega.h"

#include <charconv>
#include <cstdint>
#include <vector>

#include "compile/codici.h"
#include "sources/chiavi.h"

namespace binario {

namespace {

std::string intervallo(const campo_chiave& c) {
  const std::string i = intervallo_di(c);
  return i.empty() ? i : ", " + i;
}

std::string di_codice(const voce_codice& v) {
  std::string out = "errore " + std::to_string(v.codice) + " (" + std::string(v.id) + ")";
  out += v.interrompe ? ": ferma la lettura del suo file\n" : ": la lettura continua\n";
  out += "  significa: " + std::string(v.messaggio) + "\n";
  out += "  causa:     " + std::string(v.causa) + "\n";
  out += "  esempio:   " + std::string(v.esempio) + "\n";
  out += "  correzione: " + std::string(v.correzione) + "\n";
  return out;
}

std::string di_chiave(const voce_chiave& v) {
  std::string out = "chiave \"" + std::string(v.chiave) + "\" nella sezione " + std::string(v.sezione) + " del " +
                    (v.testo == testo_descrizione::linea ? "file della linea" : "file del servizio") + ": " +
                    std::string(v.descrizione) + "\n";
  for (size_t i = 0; i < v.campi.size(); ++i) {
    const campo_chiave& c = v.campi[i];
    out += "  valore " + std::to_string(i + 1) + ": " + std::string(c.nome) +
           (c.unita.empty() ? "" : " (" + std::string(c.unita) + ")") + ", " + std::string(c.tipo) + intervallo(c) +
           "\n";
  }
  return out;
}

}  // namespace

std::optional<std::string> spiega(std::string_view parola) {
  int32_t numero = 0;
  const auto [fine, ec] = std::from_chars(parola.data(), parola.data() + parola.size(), numero);
  if (ec == std::errc() && fine == parola.data() + parola.size()) {
    if (const voce_codice* v = voce_di_codice(numero)) return di_codice(*v);
    return std::nullopt;
  }
  if (const voce_codice* v = voce_di_id(parola)) return di_codice(*v);
  if (const voce_chiave* v = chiave_per_nome(parola)) return di_chiave(*v);
  return std::nullopt;
}

std::optional<std::string> parola_vicina(std::string_view parola) {
  std::vector<std::string> tutte;
  for (const voce_codice& v : tabella_codici()) tutte.emplace_back(v.id);
  for (const voce_chiave& v : tabella_chiavi()) tutte.emplace_back(v.chiave);
  return piu_vicino(parola, tutte);
}

std::string pagina_riferimento() {
  std::string out =
      "# Codici di errore e chiavi dei testi\n\n"
      "Pagina generata da `binario explain --reference` (una prova la tiene uguale): non modificarla a mano.\n\n"
      "## Codici\n\n"
      "| Codice | Nome | Ferma la lettura | Significato |\n|---|---|---|---|\n";
  for (const voce_codice& v : tabella_codici())
    out += "| " + std::to_string(v.codice) + " | `" + std::string(v.id) + "` | " + (v.interrompe ? "sì" : "no") +
           " | " + std::string(v.messaggio) + " |\n";
  out += "\n";
  for (const voce_codice& v : tabella_codici()) {
    out += "### " + std::to_string(v.codice) + " `" + std::string(v.id) + "`\n\n";
    out += "- causa: " + std::string(v.causa) + "\n";
    out += "- esempio: `" + std::string(v.esempio) + "`\n";
    out += "- correzione: `" + std::string(v.correzione) + "`\n\n";
  }
  out += "## Chiavi\n\n";
  for (const voce_chiave& v : tabella_chiavi()) {
    out += "### `" + std::string(v.chiave) + "` (" + std::string(v.sezione) + ", " +
           (v.testo == testo_descrizione::linea ? "file della linea" : "file del servizio") + ")\n\n" +
           std::string(v.descrizione) + ".\n\n";
    for (size_t i = 0; i < v.campi.size(); ++i) {
      const campo_chiave& c = v.campi[i];
      out += std::to_string(i + 1) + ". " + std::string(c.nome) + (c.unita.empty() ? "" : " (" + std::string(c.unita) + ")") +
             ": " + std::string(c.tipo) + intervallo(c) + "\n";
    }
    out += "\n";
  }
  return out;
}

}  // namespace binario
