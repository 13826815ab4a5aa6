#pragma once
// The three binary files: each record written field by field, little-endian.

#include "base/scrittura.h"
#include "compile/records.h"

namespace binario {

// byte_voce(v) bytes.
void scrivi_record_voce(Scrittore& w, const voce& v);
// kByteCella bytes.
void scrivi_record_cella(Scrittore& w, const cella& c);
// Column 0 (x) for every metre, then column 1 (y): a 2-byte tag, then 0, 2
// or 8 bytes of value.
void scrivi_record_tracciato(Scrittore& w, const tabella_tracciato& t);

}  // namespace binario
