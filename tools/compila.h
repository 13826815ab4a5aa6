#pragma once
// `binario compile`: the author's two description texts compiled by the same
// memorizza_percorso that genera runs, with every recorded error and warning
// turned into a diagnostic an editor can follow to the line.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "base/filesystem.h"

namespace binario {

// The largest description text read: far beyond any real line, small enough
// that reading it cannot exhaust the machine.
inline constexpr size_t kMassimoTestoDescrizione = size_t{64} << 20;

struct richiesta_compilazione {
  std::string cartella;
  std::string linea;   // as typed (UTF-8); refused again here if motivo_nome_rifiutato refuses it
  std::string treno;   // likewise
  bool tracciato = true;  // j = 1; false for --no-plan (j = 0)
  bool scrivi = true;     // false for `check`: the same compile, nothing written
  // How long to wait for another run writing into the same directory.
  int attesa_ms = kAttesaCartellaMs;
};

// Another place a diagnostic refers to: the earlier item of a conflict, say.
struct nota_correlata {
  std::string file;
  int riga = 0;                  // 0 = no source line
  std::optional<int> colonna;    // 1-based byte column in that line
  std::string messaggio;
};

// Where on its source line a diagnostic points, and what more it can say.
struct dettagli_diagnostica {
  std::optional<int> colonna;       // 1-based byte column of the field at fault
  std::optional<int> fine_colonna;  // 1-based byte column just past it
  std::string id;                   // stable short name of the check, such as "chiave-sconosciuta"
  std::vector<nota_correlata> correlati;
  std::optional<std::string> suggerimento;  // replacement text for the field, when there is one
  bool dopo_arresto = false;        // found after the reading of its file stopped
};

struct diagnostica : dettagli_diagnostica {
  int32_t codice = 0;
  std::optional<int32_t> posizione;
  std::optional<int32_t> cella;  // post-pass errors
  std::string file;              // the text concerned; empty when none is
  int riga = 0;                  // 0 = no source line
  std::string sorgente;          // that line's text, UTF-8
  std::string messaggio;
  bool finale = false;           // the one left in codice_errore
  bool interrompe = false;       // the reading of its file ended here
};

// The fields of one source line that matched no key: a misspelt key makes
// its values be read as keys too, and they are one mistake.
struct avviso : dettagli_diagnostica {
  std::string file;
  int riga = 0;
  std::vector<std::string> campi;
  std::string sorgente;
  std::string messaggio;
};

struct esito_compilazione {
  std::string file_linea;  // the path of the line description text, as shown
  int32_t codice_errore = 0;
  int32_t posizione_errore = 0;
  std::optional<int> fatale;  // 1250 or 1251
  bool lettura_interrotta = false;
  std::vector<diagnostica> errori;
  std::vector<avviso> avvisi;
  // Some diagnostics were not kept: each kind stops at kMassimoAvvisi.
  bool troncato = false;
  std::vector<std::string> file_scritti;  // names, in the order written
  std::optional<std::string> guasto;      // a failed file operation
};

// Reads the texts from `disco`, compiles a copy of them and writes the
// binary files through `disco`; the texts themselves stay as they are. The
// directory is held for the whole compile, so that two compiles (or a
// compile and genera) never mix their files.
esito_compilazione compila(FileSystem& disco, const richiesta_compilazione& richiesta);

// 0 no error, 1 errors recorded, 2 a failed file operation, 3 a failed final check.
int stato_uscita(const esito_compilazione& esito);

// The diagnostics for standard error, ending with a summary line.
std::string testo_diagnostica(const esito_compilazione& esito);

nlohmann::ordered_json json_compilazione(const esito_compilazione& esito);

}  // namespace binario
