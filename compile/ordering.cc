#include "app/form1.h"

namespace binario {

void Form1::progressive_ordina() {}

}  // namespace binario
