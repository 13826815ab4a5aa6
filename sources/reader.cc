#include "app/form1.h"

namespace binario {

void Form1::memorizza_dati() {}

}  // namespace binario
