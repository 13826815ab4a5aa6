#pragma once
// Reads back the three binary files exactly as compile/output.cc writes them,
// field by field from the same record descriptions (compile/records.h).
// Any file that does not have that shape is reported with the byte offset
// where the reading failed; nothing is read past the end of the data. The
// readers over a stream hold one record at a time, whatever the file's size.

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "compile/records.h"

namespace binario {

class errore_decodifica : public std::runtime_error {
 public:
  errore_decodifica(size_t offset, const std::string& messaggio)
      : std::runtime_error(messaggio), offset_(offset) {}
  // Where in the file the reading failed.
  size_t offset() const { return offset_; }

 private:
  size_t offset_;
};

enum class tipo_file { voci, griglia, tracciato };

// The kind of a file from its name: "_linea.dat" plan, ".sim" header, any
// other ".dat" grid.
std::optional<tipo_file> tipo_da_nome(std::string_view nome);

struct elemento_tracciato {
  tabella_tracciato::tipo_elemento tipo = tabella_tracciato::tipo_elemento::vuoto;
  double valore = 0;  // 0 for an empty element
  bool operator==(const elemento_tracciato&) const = default;
};

// Each record of a file of `byte` bytes read from `in`, in order, handed to
// the callback with its index (for the plan: its metre). The plan's x and y
// columns are read side by side, through two streams over the same file.
void leggi_voci(std::istream& in, size_t byte, const std::function<void(int, const voce&)>& su_voce);
void leggi_griglia(std::istream& in, size_t byte, const std::function<void(int, const cella&)>& su_cella);
void leggi_tracciato(std::istream& x, std::istream& y, size_t byte,
                     const std::function<void(int, const elemento_tracciato&, const elemento_tracciato&)>& su_metro);

// The header file: exactly 87 records.
std::vector<voce> decodifica_voci(std::string_view dati);

// The grid file: one or more 15-byte records.
std::vector<cella> decodifica_griglia(std::string_view dati);

// The plan file: column x for every metre, then column y for the same metres.
struct tracciato_decodificato {
  std::vector<elemento_tracciato> x;
  std::vector<elemento_tracciato> y;
};
tracciato_decodificato decodifica_tracciato(std::string_view dati);

}  // namespace binario
