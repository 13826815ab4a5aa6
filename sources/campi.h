#pragma once
// The reading frame of the description texts: fields one after another, as
// the platform's sequential input reads them, never whole lines. A handler
// that reads fewer or more fields than its line holds shifts the reading,
// and the texts' format relies on that.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/status.h"

namespace binario {

// A field the reader cannot take: what the platform's input would fail on,
// with where the field stands and why, for the author.
class errore_campo;

class lettore_campi {
 public:
  // `testo` is the whole file, bytes as they stand (Windows-1252); a shared
  // one is only read, never copied.
  explicit lettore_campi(std::string testo);
  explicit lettore_campi(std::shared_ptr<const std::string> testo);

  // True once the last field of the file and the line end after it have been
  // read, so that a closing one-field line such as "[fine]" leaves the file
  // at its end as soon as it is read.
  bool fine() const { return pos_ >= testo_.size(); }

  // A text field: leading blanks skipped, then up to a comma or the end of
  // the line; a field opening with a double quote runs to its closing quote
  // and may hold commas and line ends. The delimiter is consumed.
  std::string leggi_testo();

  // A whole number: leading blanks skipped, ended by a comma, a blank or the
  // end of the line, blanks after it belonging to the same delimiter. An
  // empty field reads 0; a decimal point is allowed and rounded half to even.
  // Anything else, or a value outside the type, throws guasto_imprevisto.
  int32_t leggi_long();   // -2147483648..2147483647
  int16_t leggi_integer();  // -32768..32767
  uint8_t leggi_byte();   // 0..255

  // The source line (from 1) on which the last field read began.
  int riga_campo() const { return riga_campo_; }

  // Where a field read since the last segna() stands, for diagnostics:
  // the first read after segna() is field 0.
  struct posizione_campo {
    int riga = 0;
    int colonna = 0;       // 1-based byte column of its first non-blank byte
    int fine_colonna = 0;  // just past its last non-blank byte on that line
    std::string testo;
  };
  void segna() { letti_.clear(); }
  size_t letti() const { return letti_.size(); }
  // Field `i` since segna(); the last one read when `i` is past the end.
  const posizione_campo& campo(size_t i) const;
  // Numbers read with decimals, rounded to whole ones, since the last
  // dimentica_arrotondati(); at most a few are kept.
  const std::vector<posizione_campo>& arrotondati() const { return arrotondati_; }
  void dimentica_arrotondati() { arrotondati_.clear(); }
  // The field the next read would begin, for a line that ends too soon.
  posizione_campo prossimo() const;

 private:
  int64_t leggi_numero(int64_t minimo, int64_t massimo, const char* tipo);
  // Throws guasto_imprevisto when nothing is left to read.
  void inizio_campo(const char* tipo);
  void salta_blank();
  bool a_fine_riga() const;
  void consuma_fine_riga();
  // Consumes a comma or a line end if one is next.
  void consuma_delimitatore();

  [[noreturn]] void guasta(const char* id, const std::string& motivo) const;
  [[noreturn]] void guasta_non_numerico(std::string_view t) const;
  void apri_campo();
  void chiudi_campo(size_t da);

  std::shared_ptr<const std::string> proprio_;
  std::string_view testo_;  // all of *proprio_
  size_t pos_ = 0;
  size_t inizio_riga_ = 0;
  int riga_ = 1;
  std::vector<posizione_campo> letti_;
  std::vector<posizione_campo> arrotondati_;
  int riga_campo_ = 0;
};

class errore_campo : public guasto_imprevisto {
 public:
  errore_campo(std::string id_, const std::string& motivo, lettore_campi::posizione_campo campo_, int indice_,
               std::string chiave_)
      : guasto_imprevisto(motivo), id(std::move(id_)), campo(std::move(campo_)), indice(indice_),
        chiave(std::move(chiave_)) {}
  std::string id;                        // "non-numerico", "fuori-intervallo", "valori-mancanti", ...
  lettore_campi::posizione_campo campo;  // where the author must look
  int indice;                            // its place on the key line, 0 the key
  std::string chiave;                    // the key line's first field
};

// The two ways a key is compared with a first field.
enum class confronto { qualsiasi_maiuscola, esatto };

// True when `chiave` occurs anywhere in `campo`.
bool contiene(std::string_view campo, std::string_view chiave, confronto modo);

// A section header such as "[curve]": trimmed, it opens with "[" and closes
// with "]".
bool e_intestazione(std::string_view campo);

// `campo` without the blanks around it.
std::string_view spoglia_blank(std::string_view campo);

}  // namespace binario
