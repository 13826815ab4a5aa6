#pragma once

#include "base/filesystem.h"
#include "base/platform.h"

namespace binario {

// The whole life of genera: fixes the scenario identity, shows the waiting
// window, writes the five text files, compiles, and ends the process through
// the platform (0 on success; a failed step shows its error number and
// description and ends with kUscitaPassoFallito; a failed final check ends
// through `errore`).
[[noreturn]] void Form_Load(Piattaforma& piattaforma, FileSystem& fs);

// The scenario identity of the built-in content.
inline constexpr const char* kNomeLinea = "Valmera-Lusa";
inline constexpr const char* kNumeroTreno = "019";

}  // namespace binario
