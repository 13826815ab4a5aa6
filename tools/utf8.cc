#include "tools/utf8.h"

#include <cstdint>

namespace binario {

namespace {

// Code points of the bytes 0x80..0x9F; 0 where Windows-1252 defines none.
constexpr uint16_t kAlti[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void aggiungi(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

}  // namespace

std::string da_cp1252(std::string_view testo) {
  std::string out;
  out.reserve(testo.size());
  for (char c : testo) {
    const auto b = static_cast<unsigned char>(c);
    uint32_t cp = b;
    if (b >= 0x80 && b < 0xA0) cp = kAlti[b - 0x80] != 0 ? kAlti[b - 0x80] : 0xFFFD;
    aggiungi(out, cp);
  }
  return out;
}

}  // namespace binario
