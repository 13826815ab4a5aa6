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
// the platform layer (base/platform.h), and every file through a FileSystem.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/filesystem.h"
#include "base/status.h"
#include "base/testo.h"
#include "compile/records.h"

namespace binario {

// Which text a compile error or warning concerns.
enum class origine_errore { nessuna, descrizione_linea, descrizione_servizio, post_pass, controlli_finali };

// A field of a source line, for the column an error points at.
struct campo_sorgente {
  int riga = 0;          // the source line the field stands on
  int colonna = 0;       // 1-based byte column of its first character
  int fine_colonna = 0;  // 1-based byte column just past it
  int indice = 0;        // its place on its key line: 0 the key, 1 the first value
  std::string testo;     // as written, blanks around it dropped
};

// What already holds a grid cell: a conflict names it.
struct occupante {
  origine_errore origine = origine_errore::nessuna;
  int riga = 0;                 // 0 = not from a source line (say, a post-pass mark)
  int32_t metro = 0;            // the first number of that line
  std::string_view genere;      // "segnale", "inizio del rallentamento", ...
};

// One compile error as it was recorded; `codice_errore` keeps only the last.
struct errore_registrato {
  int32_t codice = 0;
  std::optional<int32_t> posizione;  // the metre given with the code, when it has one
  origine_errore origine = origine_errore::nessuna;
  int riga = 0;                      // source line of the key line being handled, 0 = none
  std::optional<int32_t> cella;      // post-pass errors: the cell concerned
  // Recorded where the error is found, for the tools.
  std::optional<campo_sorgente> campo;  // the field at fault
  std::optional<occupante> altro;       // the other item of a conflict
  std::string motivo;                   // the precise reason, when the code alone is too vague
  std::string id_motivo;                // its stable short name
  bool interrompe = false;              // the reading of its file ends here
  // The code was left by this earlier error (an index into Form1::errori)
  // and stopped the reading at this line.
  std::optional<size_t> causa;
};

// A line the reader passed over that an author most likely got wrong.
struct avviso_registrato {
  origine_errore origine = origine_errore::nessuna;
  int riga = 0;
  std::string campo;  // the first field as read
  int colonna = 0;    // 1-based byte column of that field, 0 = unknown
  int fine_colonna = 0;
  std::string id;         // empty for a first field that matched no key
  std::string messaggio;  // set when `id` is
};

// The state of one compile, by concern. Each group is reset as a whole by
// assigning it a fresh value, so a field added to a group is reset with it.

// The most warnings a compile keeps.
inline constexpr size_t kMassimoAvvisi = 1000;

// Who the scenario is and where its files go; given to the constructor and
// never reset.
// Windows-1252 bytes, as the records and the competition codes take them.
struct identita_scenario {
  std::string nome_linea;
  std::string numero_treno;
  std::string cartella_programma;
  char separatore = '/';
};

// What the compile produces: the simulator's tables.
struct tabelle_compilate {
  std::vector<cella> griglia_celle;  // empty until the reader creates it
  tabella_voci voci{};
  tabella_tracciato tracciato;
  int32_t lunghezza_estesa = 0;
  int32_t numero_celle = 0;
  std::array<int32_t, 81> montagne_inizio{};
  std::array<int32_t, 81> montagne_fine{};
  int32_t numero_montagne = 0;
};

// Where the reader has got to in each of its tables and profiles.
struct contatori_lettura {
  std::string riga_corrente;
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
};

struct contatori_post_pass {
  int32_t contatore = 0;
  int32_t indice_ricerca = 0;
  int32_t indice_cella = 0;
  int32_t indice_interno = 0;
};

// What went wrong, for the simulator (codice_errore) and for tools.
struct diagnostica_compilazione {
  int32_t codice_errore = 0;
  std::vector<errore_registrato> errori;
  std::vector<avviso_registrato> avvisi;
  // Warnings past kMassimoAvvisi, counted and not kept: a text of a million
  // stray lines must not take gigabytes to say so.
  size_t avvisi_tralasciati = 0;
  origine_errore origine_corrente = origine_errore::nessuna;
  int riga_sorgente = 0;            // line of the key line being read
  bool lettura_interrotta = false;  // a reader error ended the reading early
  // Who placed the element of each occupied grid cell, by cell, so that a
  // conflict can name the other item; the compiled bytes never read it. Only
  // the cells that hold something are kept: a long line has twenty thousand
  // cells and a few thousand elements.
  std::unordered_map<int64_t, occupante> occupanti;
  // How many errors were recorded when the current placement call began.
  size_t errori_alla_posa = 0;
  // The field a "progressiva chilometrica" got wrong, by slot 81 to 83: error
  // 2 is found only at the end of the service text.
  std::array<std::optional<campo_sorgente>, 3> campi_progressive{};
};

// The one object of a run. Its operations are defined in the folders of the
// subsystems (sources/, compile/, documents/), which therefore include this
// header from below app/: the one edge of the folder graph that runs back
// (scripts/dipendenze allows it and no other).
class Form1 : public identita_scenario,
              public tabelle_compilate,
              public contatori_lettura,
              public contatori_post_pass,
              public diagnostica_compilazione {
 public:
  Form1(FileSystem& fs, identita_scenario identita);
  // Names set afterwards, as tests do.
  Form1(FileSystem& fs, std::string cartella_programma, char separatore = '/');

  FileSystem& fs;

  // cartella_programma, the separator, then `nome` (Windows-1252) in UTF-8.
  std::string percorso(const std::string& nome) const;

  // Compile option: the plan is computed and written when not 0.
  int32_t scrivi_tracciato = 0;
  // The metre of the last error, when its code gives one. It is not reset
  // with the diagnostics: a code without a metre leaves it as it was.
  int32_t posizione_errore = 0;
  int32_t risposta_messaggio = 0;

  bool griglia_creata() const { return !griglia_celle.empty(); }
  // The cell `i`; a cell that does not exist throws guasto_imprevisto.
  cella& cella_at(int64_t i);

  // The resets, one a group.
  void azzera_tabelle() { static_cast<tabelle_compilate&>(*this) = tabelle_compilate{}; }
  void azzera_contatori_lettura() { static_cast<contatori_lettura&>(*this) = contatori_lettura{}; }
  void azzera_contatori_post_pass() { static_cast<contatori_post_pass&>(*this) = contatori_post_pass{}; }
  void azzera_diagnostica() { static_cast<diagnostica_compilazione&>(*this) = diagnostica_compilazione{}; }
  // Nothing of an earlier compile may pass for this one's: every group but
  // the identity starts afresh, with option `j`.
  void prepara_compilazione(int32_t j);

  // Notes that cell `i` now holds an element of kind `genere` placed by the
  // current source line, whose first number is `metro`.
  void occupa(int64_t i, int32_t metro, std::string_view genere);
  // The item holding cell `i`, when one was noted.
  std::optional<occupante> occupante_di(int64_t i) const;

  // Keeps a warning, or counts it past kMassimoAvvisi.
  void registra_avviso(avviso_registrato a);

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
