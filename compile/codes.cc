#include "app/form1.h"

namespace binario {

int32_t Form1::controlli_finali() { return 0; }
int32_t Form1::codice_gara_st() { return 0; }
int16_t Form1::codice_gara_og() { return 0; }

}  // namespace binario
