#pragma once
// The three binary files: each record written field by field, little-endian.

#include "base/scrittura.h"
#include "compile/records.h"

namespace binario {

// 34 + n bytes, n = length of `nome`.
void scrivi_record_voce(Scrittore& w, const voce& v);
// 15 bytes.
void scrivi_record_cella(Scrittore& w, const cella& c);
// Column 0 (x) for every metre, then column 1 (y): a 2-byte tag, then 0, 2
// or 8 bytes of value.
void scrivi_record_tracciato(Scrittore& w, const tabella_tracciato& t);

inline constexpr size_t kByteVoce = 34;
inline constexpr size_t kByteCella = 15;

}  // namespace binario
