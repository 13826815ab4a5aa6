#pragma once
// `binario serve`: the page of a line, kept up to date while its author
// edits the texts. Every save is compiled at once (writing the binary files
// as `binario compile` does) and the result is pushed to every open page.
//
//   /                the page, listening on /eventi
//   /risultato.json  the last result, as `binario compile --json` prints it
//   /vista.json      the page's model, from the same texts
//   /eventi          server-sent events: `compilato`, carrying the result
//
// Only 127.0.0.1 is listened on, and a request naming any other host is
// refused, so that no other site open in the browser can reach the texts.

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/filesystem.h"
#include "tools/compila.h"

namespace binario {

struct opzioni_servizio {
  richiesta_compilazione richiesta;
  int porta = 0;         // 0 picks a free one
  bool polling = false;  // watch the texts by polling, whatever the system offers
};

class servizio {
 public:
  servizio(FileSystem& disco, opzioni_servizio opzioni);
  ~servizio();
  servizio(const servizio&) = delete;
  servizio& operator=(const servizio&) = delete;

  // Takes the port; a message for the author when it cannot.
  std::optional<std::string> apri();
  int porta() const;
  // Compiles once, then serves and compiles after every save until ferma().
  void esegui();
  // Ends esegui(); safe from any thread, before or during it.
  void ferma();

  // Called after each compile, on the watching thread, once the event is sent.
  void dopo_compilazione(std::function<void(const esito_compilazione&)> f);

 private:
  struct stato;
  std::unique_ptr<stato> s_;
};

}  // namespace binario
