#pragma once
// The keys of the two description texts, with their sections and fields:
// the names diagnostics give a field, `binario explain KEY`, the reference
// page in docs/ and an editor's completion all come from here. The reader
// matches keys its own way (sources/reader.cc); this table describes them.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace binario {

enum class testo_descrizione { linea, servizio };

struct campo_chiave {
  std::string_view nome;
  std::string_view unita;  // "m", "km/h", ... or empty
  std::string_view tipo;   // "intero", "intero da un byte", "testo"
  int64_t minimo;
  int64_t massimo;
};

struct voce_chiave {
  std::string_view chiave;    // as the exported template writes it
  testo_descrizione testo;
  std::string_view sezione;   // "[generale]", "[curve]", ...
  std::string_view descrizione;
  std::span<const campo_chiave> campi;  // the values after the key, in order
};

std::span<const voce_chiave> tabella_chiavi();

// The sections of one text, in the order the template writes them.
std::span<const std::string_view> sezioni_di(testo_descrizione t);

// The entry whose key the first field names, as the reader would take it
// (the first that matches, ignoring case); nothing when none does.
const voce_chiave* chiave_di_campo(std::string_view campo, testo_descrizione t);

// The entry spelt exactly as `nome` (case and blanks aside), in either text.
const voce_chiave* chiave_per_nome(std::string_view nome);

// The values a field takes, in words ("da 0 a 255"); empty for a text.
std::string intervallo_di(const campo_chiave& c);

// The field `indice` (1 the first value) of `v`, when it has one.
const campo_chiave* campo_di(const voce_chiave& v, int indice);

// Bytes to turn `a` into `b` (insertions, deletions, substitutions), ignoring case.
size_t distanza(std::string_view a, std::string_view b);

// The candidate closest to `parola`, when one is close enough to be a slip.
std::optional<std::string> piu_vicino(std::string_view parola, std::span<const std::string> candidati);

// The key of text `t` closest to a field that matched none, when the field
// is near enough to it to be a slip.
std::optional<std::string> chiave_vicina(std::string_view campo, testo_descrizione t);

}  // namespace binario
