#pragma once

#include <string>

#include "app/form1.h"
#include "base/platform.h"

namespace binario {

// Shows " Errore n. " followed by `a` in a message box, keeps the answer in
// risposta_messaggio and ends the process at once with kUscitaErroreFatale.
[[noreturn]] void errore(Piattaforma& piattaforma, Form1& form, const std::string& a);

}  // namespace binario
