#pragma once
// `binario lsp`: a language server for the two description texts, over
// standard input and output (JSON-RPC with Content-Length framing).

#include <functional>
#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tools/compila.h"

namespace CLI {
class App;
}

namespace binario {

// One framed message from `in`: its body, or nothing at the end of the input.
// A header block without a usable Content-Length gives an empty body, which
// the server answers as a parse error.
std::optional<std::string> leggi_messaggio(std::istream& in);
void scrivi_messaggio(std::ostream& out, const nlohmann::json& messaggio);

// Column conversions between a line held as UTF-8 and the protocol: `indice`
// counts characters (one per Windows-1252 byte of the compiled text).
int colonna_protocollo(const std::string& riga_utf8, int indice, bool utf8);
int indice_da_colonna(const std::string& riga_utf8, int colonna, bool utf8);

// Compiles a pair: folder, line, train, then the two texts (nothing for a missing one).
using compilatore = std::function<esito_compilazione(const std::string&, const std::string&, const std::string&,
                                                     const std::optional<std::string>&, const std::optional<std::string>&)>;

class server_lsp {
 public:
  explicit server_lsp(std::function<void(const nlohmann::json&)> invia);
  // Tests put diagnostic details in front of the editor through this.
  void usa_compilatore(compilatore c) { compila_ = std::move(c); }

  // Handles one message body; false once `exit` has come.
  bool gestisci(const std::string& corpo);
  // 0 when `shutdown` came before the end, as the protocol asks.
  int stato_uscita() const { return spento_ ? 0 : 1; }

 private:
  struct correzione {
    nlohmann::json diagnostica;  // as published
    nlohmann::json intervallo;   // what the replacement covers
    std::string testo;
  };
  struct documento {
    std::string testo;  // UTF-8, as the client holds it
  };

  std::optional<nlohmann::json> richiesta(const std::string& metodo, const nlohmann::json& parametri);
  void notifica(const std::string& metodo, const nlohmann::json& parametri);
  void errore(const nlohmann::json& id, int codice, const std::string& messaggio);

  nlohmann::json inizializza(const nlohmann::json& parametri);
  void ricompila(const std::string& uri);
  nlohmann::json hover(const nlohmann::json& parametri);
  nlohmann::json completamento(const nlohmann::json& parametri);
  nlohmann::json simboli(const nlohmann::json& parametri);
  nlohmann::json azioni(const nlohmann::json& parametri);

  std::optional<std::string> testo_utf8(const std::string& uri) const;

  std::function<void(const nlohmann::json&)> invia_;
  compilatore compila_;
  bool inizializzato_ = false;
  bool spento_ = false;
  bool utf8_ = false;
  std::map<std::string, documento> documenti_;
  std::map<std::string, std::vector<correzione>> correzioni_;
};

// Serves `in` to `out` until `exit` or the end of the input; the exit status.
int esegui_lsp(std::istream& in, std::ostream& out);

// The `lsp` subcommand of binario.
CLI::App* aggiungi_comando_lsp(CLI::App& app);

}  // namespace binario
