#pragma once
// The reading frame of the description texts: fields one after another, as
// the platform's sequential input reads them, never whole lines. A handler
// that reads fewer or more fields than its line holds shifts the reading,
// and the texts' format relies on that.

#include <cstdint>
#include <string>
#include <string_view>

namespace binario {

class lettore_campi {
 public:
  // `testo` is the whole file, bytes as they stand (Windows-1252).
  explicit lettore_campi(std::string testo);

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

 private:
  int64_t leggi_numero(int64_t minimo, int64_t massimo, const char* tipo);
  // Throws guasto_imprevisto when nothing is left to read.
  void inizio_campo(const char* tipo);
  void salta_blank();
  bool a_fine_riga() const;
  void consuma_fine_riga();
  // Consumes a comma or a line end if one is next.
  void consuma_delimitatore();

  std::string testo_;
  size_t pos_ = 0;
  int riga_ = 1;
  int riga_campo_ = 0;
};

// The two ways a key is compared with a first field.
enum class confronto { qualsiasi_maiuscola, esatto };

// True when `chiave` occurs anywhere in `campo`.
bool contiene(std::string_view campo, std::string_view chiave, confronto modo);

// A section header such as "[curve]": trimmed, it opens with "[" and closes
// with "]".
bool e_intestazione(std::string_view campo);

}  // namespace binario
