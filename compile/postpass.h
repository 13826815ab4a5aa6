#pragma once
// The code value of the post-pass marks, and the rule by which an existing
// mark gives way to it.

#include <cstdint>

namespace binario {

inline constexpr int16_t kCodicePostPass = 180;

// The smaller of the two, `x` on a tie.
inline int32_t minimo(int32_t x, int32_t y) { return x > y ? y : x; }

}  // namespace binario
