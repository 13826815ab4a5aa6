#include "base/testo.h"

#include <cstdint>

#include "base/scrittura.h"

namespace binario {

Status scrivi_file_testo(FileSystem& fs, const tabella_righe& righe, const std::string& nome_file) {
  return sostituisci_file(fs, nome_file, [&](Scrittore& w) {
    for (const std::string& riga : righe) {
      if (riga == kFineRighe) break;
      w.bytes(riga);
      w.bytes("\r\n");
    }
  });
}

namespace {

// Windows-1252 bytes 0x80..0x9F and the Unicode code points they stand for.
constexpr uint16_t kAlti[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char byte_per(uint32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
  for (int i = 0; i < 32; ++i)
    if (kAlti[i] != 0 && kAlti[i] == cp) return static_cast<char>(0x80 + i);
  return '?';
}

}  // namespace

std::string cp1252(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    auto c = static_cast<unsigned char>(s[i]);
    uint32_t cp;
    size_t n;
    if (c < 0x80) {
      cp = c;
      n = 1;
    } else if ((c >> 5) == 0x6) {
      cp = c & 0x1Fu;
      n = 2;
    } else if ((c >> 4) == 0xE) {
      cp = c & 0x0Fu;
      n = 3;
    } else if ((c >> 3) == 0x1E) {
      cp = c & 0x07u;
      n = 4;
    } else {
      out.push_back('?');
      ++i;
      continue;
    }
    if (i + n > s.size()) {
      out.push_back('?');
      break;
    }
    for (size_t k = 1; k < n; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3Fu);
    out.push_back(byte_per(cp));
    i += n;
  }
  return out;
}

}  // namespace binario
