// Placement of line-side features on the grid.
#include "app/form1.h"

namespace binario {

void Form1::memo_montagna(int32_t, int32_t, int32_t) {}
void Form1::memo_indicatori_v_max(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) {}
void Form1::memo_rallentamento(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) {}
void Form1::memo_segnale(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                         int32_t) {}

}  // namespace binario
