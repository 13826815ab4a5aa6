#pragma once
// The state of one run: the scenario identity, the compiled tables and the
// counters of the compile, in one object. Each operation is defined in the
// files of its own subsystem:
//   app/       the run, file names, text files
//   sources/   the description reader and the built-in content
//   compile/   the compile driver and output files, placement, ordering,
//              post-pass, final checks and competition codes
//   documents/ the driver documents
// The object has no window and no console: what the run shows goes through
// the platform layer (app/platform.h), and every file through a FileSystem.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/filesystem.h"
#include "app/status.h"
#include "app/testo.h"
#include "compile/records.h"

namespace binario {

// Which text a compile error or warning concerns.
enum class origine_errore { nessuna, descrizione_linea, descrizione_servizio, post_pass, controlli_finali };

// One compile error as it was recorded; `codice_errore` keeps only the last.
struct errore_registrato {
  int32_t codice = 0;
  std::optional<int32_t> posizione;  // the metre given with the code, when it has one
  origine_errore origine = origine_errore::nessuna;
  int riga = 0;                      // source line of the key line being handled, 0 = none
  std::optional<int32_t> cella;      // post-pass errors: the cell concerned
  // The code was left by an earlier line and ended the reading at this one.
  bool riportato = false;
};

// A line the reader passed over that an author most likely got wrong.
struct avviso_registrato {
  origine_errore origine = origine_errore::nessuna;
  int riga = 0;
  std::string campo;  // the first field as read
};

class Form1 {
 public:
  Form1(FileSystem& fs, std::string cartella_programma, char separatore = '/');

  // ---- Identity and files -------------------------------------------------
  std::string nome_linea;
  std::string numero_treno;
  std::string cartella_programma;
  char separatore;
  FileSystem& fs;

  // cartella_programma, the separator, then `nome`.
  std::string percorso(const std::string& nome) const;

  // ---- Compiled tables ----------------------------------------------------
  std::vector<cella> griglia_celle;  // empty until the reader creates it
  tabella_voci voci{};
  tabella_tracciato tracciato;
  int32_t scrivi_tracciato = 0;
  int32_t lunghezza_estesa = 0;
  int32_t numero_celle = 0;
  std::string riga_corrente;
  int32_t codice_errore = 0;
  int32_t posizione_errore = 0;
  int32_t risposta_messaggio = 0;

  std::array<int32_t, 81> montagne_inizio{};
  std::array<int32_t, 81> montagne_fine{};
  int32_t numero_montagne = 0;

  // Post-pass counters.
  int32_t contatore = 0;
  int32_t indice_ricerca = 0;
  int32_t indice_cella = 0;
  int32_t indice_interno = 0;

  // Reader counters.
  int32_t indice_cartelli = 80;
  int32_t cella_pendenza = 0;
  int32_t pendenza_corrente = 0;
  int32_t metro_tracciato = 2;
  double curvatura = 0;
  int32_t cella_velocita = 0;
  int32_t velocita_corrente = 0;
  int32_t cella_aderenza = 0;
  int32_t aderenza_corrente = 0;
  int32_t indice_stazione = 1;
  int32_t lunghezza_zona = 0;

  bool griglia_creata() const { return !griglia_celle.empty(); }
  // The cell `i`; a cell that does not exist throws guasto_imprevisto.
  cella& cella_at(int64_t i);

  // ---- Diagnostics for tools (the simulator sees only codice_errore) -------
  std::vector<errore_registrato> errori;
  std::vector<avviso_registrato> avvisi;
  origine_errore origine_corrente = origine_errore::nessuna;
  int riga_sorgente = 0;            // line of the key line being read
  bool lettura_interrotta = false;  // a reader error ended the reading early

  // Sets codice_errore and records the error, with the current origin and
  // source line and no position.
  void imposta_errore(int32_t codice);
  // Sets posizione_errore and gives it to the last recorded error.
  void imposta_posizione(int32_t posizione);

  // ---- The run (app/) -----------------------------------------------------
  // Steps 4 to 9 of the run; the first failure stops it.
  // `tra_i_passi` runs after each step that succeeds, before the next one.
  Status esegui_passi(const std::function<void()>& tra_i_passi = {});

  // ---- Built-in content (sources/) ----------------------------------------
  Status dati_linea();
  Status dati_treno();
  // The line tables the two writers write.
  static tabella_righe righe_linea();
  static tabella_righe righe_treno();

  // ---- Reader (sources/) --------------------------------------------------
  void memorizza_dati();

  // ---- Compile (compile/) -------------------------------------------------
  // Compiles the two description texts and writes the binary files. Returns a
  // failed file operation, or Status::fatale(1250 or 1251) when a final check
  // failed (then no binary file was written).
  Status memorizza_percorso(int32_t j);
  void memo_montagna(int32_t inizio, int32_t fine, int32_t tipo);
  void memo_indicatori_v_max(int32_t posizione, int32_t vas, int32_t vbs, int32_t vcs, int32_t strisces,
                             int32_t vad, int32_t vbd, int32_t vcd, int32_t strisced);
  void memo_rallentamento(int32_t x, int32_t v, int32_t l, int32_t f_tt, int32_t f_ta, int32_t d_v);
  void memo_segnale(int32_t posizione, int32_t sx, int32_t s1, int32_t s2, int32_t s3, int32_t rapp,
                    int32_t dx, int32_t d1, int32_t d2, int32_t d3, int32_t tempo);
  void progressive_ordina();
  void post_pass();
  // The final checks and stamps; 0, or 1250 / 1251 when a check failed.
  int32_t controlli_finali();
  int32_t codice_gara_st();
  int16_t codice_gara_og();
  // Writes the plan (when scrivi_tracciato is not 0), header and grid files.
  Status scrivi_file_binari();

  // ---- Driver documents (documents/) --------------------------------------
  Status dati_note();
  Status dati_rallentamenti();
  Status dati_scheda();
  static tabella_righe righe_note();
  static tabella_righe righe_rallentamenti();
  static tabella_righe righe_scheda();
};

}  // namespace binario
