#include "base/reale.h"

#include <algorithm>
#include <system_error>

#include <fast_float/fast_float.h>

namespace binario {

std::from_chars_result leggi_reale(const char* first, const char* last, double& v) {
  double letto = 0;
  const fast_float::from_chars_result r = fast_float::from_chars(first, last, letto);
  if (r.ec != std::errc()) return {r.ptr, r.ec};
  // fast_float gives the infinity or the zero that a value too large or too
  // small rounds to; the standard's reading calls both out of range. A
  // written "inf" is no overflow, nor a zero mantissa an underflow.
  const char* fine_mantissa = std::find_if(first, r.ptr, [](char c) { return c == 'e' || c == 'E'; });
  const bool infinito_scritto = std::any_of(first, r.ptr, [](char c) { return c == 'i' || c == 'I'; });
  const bool mantissa_non_zero = std::any_of(first, fine_mantissa, [](char c) { return c >= '1' && c <= '9'; });
  if ((__builtin_isinf(letto) && !infinito_scritto) || (letto == 0 && mantissa_non_zero))
    return {r.ptr, std::errc::result_out_of_range};
  v = letto;
  return {r.ptr, std::errc()};
}

}  // namespace binario
