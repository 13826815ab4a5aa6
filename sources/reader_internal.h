#pragma once
// What the two halves of memorizza_dati share: the line description file
// (reader.cc) and the service description file (servizio.cc).

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "app/form1.h"
#include "sources/campi.h"

namespace binario::lettura {

// A failure of the reading that is not a field's, with a short name for
// the tools (a missing service text, say).
class guasto_in_lettura : public guasto_imprevisto {
 public:
  guasto_in_lettura(std::string id_motivo, const std::string& motivo)
      : guasto_imprevisto(motivo), id(std::move(id_motivo)) {}
  std::string id;
};

// How a reading loop or a key handler ended.
enum class esito {
  avanti,       // go on with the next line
  fine_lettura, // the file's reading ends (end of file, error 15); the file is finished
  uscita,       // memorizza_dati returns; the file was already deleted
};

inline constexpr confronto kQualsiasi = confronto::qualsiasi_maiuscola;
inline constexpr confronto kEsatto = confronto::esatto;

// The whole file, for field-by-field reading; a failed read throws
// guasto_imprevisto.
lettore_campi apri(Form1& f, const std::string& percorso);

// The file is closed once its text is no longer read; a failed delete
// throws guasto_imprevisto.
void elimina(Form1& f, const std::string& percorso);

// An error that ends memorizza_dati: the file is deleted, then the code and
// the position (when one goes with it) are recorded.
void interrompi(Form1& f, const std::string& percorso, int32_t codice, std::optional<int32_t> posizione = {});

// A whole number stored into a Byte cell field keeps its low 8 bits.
inline uint8_t byte_basso(int64_t v) { return static_cast<uint8_t>(v & 0xFF); }

// A profile (gradient, speed, adhesion) keeps its value from one of its lines
// to the next: cells from `prossima` on take `valore` up to, not including,
// cell `fino`. At least one cell is written, as the reading always did.
inline void riempi_profilo(Form1& f, int32_t& prossima, int64_t fino, uint8_t cella::*campo, uint8_t valore) {
  do {
    f.cella_at(prossima).*campo = valore;
    ++prossima;
  } while (prossima < fino);
}

// The range test: the position `p` with `margine` metres ahead still lies in
// the grid. Otherwise error 15 is recorded with `p`.
bool entro_griglia(Form1& f, const lettore_campi& campi, int32_t p, int32_t margine);

// Error 15 for a feature whose cell has no place in the tables.
esito fuori_tabella(Form1& f, int32_t p);

// After a placement call: any error code, whoever set it, ends the reading
// with the line's first number as its position. True when it did.
bool errore_dopo_posa(Form1& f, const lettore_campi& campi, const std::string& percorso, int32_t posizione);

// Reads the next key line's first field into riga_corrente, passing over at
// most two first fields that hold a hyphen, and notes its source line.
// False when the file has ended, the field last read then not to be
// interpreted.
bool prossima_chiave(Form1& f, lettore_campi& campi);

// A first field that matched no key: a warning for the author, unless it is
// a section header.
void avvisa_se_sconosciuta(Form1& f, const lettore_campi& campi, const std::string& campo, int riga);

// Gives the error just recorded the field `indice` of the current key line
// (0 the key) as the place the author must look.
void dettaglia(Form1& f, const lettore_campi& campi, size_t indice);

// A warning at field `indice` of the current key line: something that
// compiles but is almost surely not what the author meant. It never changes
// what is compiled.
void avvisa(Form1& f, const lettore_campi& campi, size_t indice, std::string id, std::string messaggio);

// The key as the reader matched it differs from the way the template writes
// it (another case, a longer word, extra text): a warning naming the key.
void avvisa_forma_chiave(Form1& f, const lettore_campi& campi, const std::string& campo);

// Decimals the reader rounded since the last call, one warning each.
void avvisa_arrotondati(Form1& f, lettore_campi& campi);

// A profile line (pendenza, velocita, aderenza) whose position lies before
// the previous one's: its cells were already written.
void avvisa_se_indietro(Form1& f, const lettore_campi& campi, int32_t& ultima, int32_t p);

// A header record's name: its length is written in two bytes.
std::string nome_voce(std::string testo);

// The service description file, read after the line description file was
// finished.
void memorizza_servizio(Form1& f);

}  // namespace binario::lettura
