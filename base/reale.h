#pragma once
// Reading a decimal number into a double.

#include <charconv>

namespace binario {

// As std::from_chars(first, last, v) with the general format: the nearest
// double, the same accepted forms, and result_out_of_range (v untouched) for
// a magnitude beyond the doubles or a nonzero one that would read as zero.
// The standard library's version asks the C math library for the rounding
// mode, which would load that library into `genera` for one question.
std::from_chars_result leggi_reale(const char* first, const char* last, double& v);

}  // namespace binario
