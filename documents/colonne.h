#pragma once
// Rows of the boxed tables of the driver documents: fields of fixed width
// between bars, as the rulers of each table draw them.

#include <array>
#include <cstddef>
#include <string>

namespace binario {

// `testo` followed by blanks up to `larghezza` characters.
std::string a_sinistra(std::string testo, size_t larghezza);
// `testo` preceded by blanks up to `larghezza` characters.
std::string a_destra(const std::string& testo, size_t larghezza);

// " |", then every field padded to its width and closed by "|". A field longer
// than its width is kept whole: the row comes out too long and its bars out of
// line, which the checks of the table see, rather than a name cut short.
template <size_t N>
std::string riga_a_colonne(const std::array<std::string, N>& campi, const std::array<size_t, N>& larghezze) {
  std::string riga = " |";
  for (size_t i = 0; i < N; ++i) riga += a_sinistra(campi[i], larghezze[i]) + "|";
  return riga;
}

}  // namespace binario
