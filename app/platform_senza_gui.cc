// Builds without a window library: genera is headless everywhere.
#include "base/platform.h"

namespace binario {

std::unique_ptr<Piattaforma> nuova_piattaforma_con_finestra() { return nuova_piattaforma_senza_finestra(); }

}  // namespace binario
