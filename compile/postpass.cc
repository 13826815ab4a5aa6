#include "app/form1.h"

namespace binario {

void Form1::post_pass() {}

}  // namespace binario
