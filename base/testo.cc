#include "base/testo.h"

#include <cstdint>
#include <cstdio>
#include <utility>

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

// U+0080..U+009F come back as their own bytes: they are what an editor that
// read a Windows-1252 file as Latin-1 shows for the bytes it read.
char byte_per(uint32_t cp) {
  if (cp <= 0xFF) return static_cast<char>(cp);
  for (int i = 0; i < 32; ++i)
    if (kAlti[i] != 0 && kAlti[i] == cp) return static_cast<char>(0x80 + i);
  return '?';
}

// The length of the UTF-8 sequence a lead byte announces; 1 for any other byte.
size_t lunghezza_annunciata(char lead) {
  const auto c = static_cast<unsigned char>(lead);
  if ((c >> 5) == 0x6) return 2;
  if ((c >> 4) == 0xE) return 3;
  if ((c >> 3) == 0x1E) return 4;
  return 1;
}

// One UTF-8 sequence at `i`: its code point and length, or nothing when the
// bytes are not UTF-8 (a stray continuation, a cut or overlong sequence).
std::optional<std::pair<uint32_t, size_t>> decodifica(std::string_view s, size_t i) {
  auto c = static_cast<unsigned char>(s[i]);
  uint32_t cp;
  size_t n;
  if (c < 0x80) return std::pair<uint32_t, size_t>{c, 1};
  if ((c >> 5) == 0x6) {
    cp = c & 0x1Fu;
    n = 2;
  } else if ((c >> 4) == 0xE) {
    cp = c & 0x0Fu;
    n = 3;
  } else if ((c >> 3) == 0x1E) {
    cp = c & 0x07u;
    n = 4;
  } else {
    return std::nullopt;
  }
  if (i + n > s.size()) return std::nullopt;
  for (size_t k = 1; k < n; ++k) {
    auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return std::nullopt;
    cp = (cp << 6) | (b & 0x3Fu);
  }
  static constexpr uint32_t kMinimo[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMinimo[n] || cp > 0x10FFFF) return std::nullopt;
  return std::pair<uint32_t, size_t>{cp, n};
}

void aggiungi_utf8(std::string& out, uint32_t cp) {
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

std::string codice_unicode(uint32_t cp) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(cp));
  return buf;
}

}  // namespace

std::string cp1252(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    const auto d = decodifica(s, i);
    if (!d) {
      // A sequence cut short by the end of the text is one character lost.
      out.push_back('?');
      if (i + lunghezza_annunciata(s[i]) > s.size()) break;
      ++i;
      continue;
    }
    out.push_back(byte_per(d->first));
    i += d->second;
  }
  return out;
}

conversione_cp1252 converti_cp1252(std::string_view s) {
  conversione_cp1252 c;
  for (size_t i = 0; i < s.size();) {
    const auto d = decodifica(s, i);
    if (!d) {
      c.rifiuto = "non è testo UTF-8 valido";
      return c;
    }
    const auto [cp, n] = *d;
    const char b = byte_per(cp);
    // '?' stands for "no byte" unless it was the character itself; the C1
    // controls have bytes of their own but are no part of a name.
    if ((b == '?' && cp != '?') || (cp >= 0x80 && cp < 0xA0)) {
      c.rifiuto = "contiene «" + std::string(s.substr(i, n)) + "» (" + codice_unicode(cp) +
                  "), che Windows-1252 non rappresenta";
      return c;
    }
    c.byte.push_back(b);
    i += n;
  }
  return c;
}

std::string utf8_da_cp1252(std::string_view byte) {
  std::string out;
  out.reserve(byte.size());
  for (char ch : byte) {
    const auto b = static_cast<unsigned char>(ch);
    if (b >= 0x80 && b < 0xA0) {
      const uint16_t cp = kAlti[b - 0x80];
      aggiungi_utf8(out, cp != 0 ? cp : 0xFFFD);
    } else {
      aggiungi_utf8(out, b);
    }
  }
  return out;
}

std::optional<sequenza_utf8> prima_sequenza_utf8(std::string_view byte) {
  for (size_t i = 0; i < byte.size(); ++i) {
    if (static_cast<unsigned char>(byte[i]) < 0x80) continue;
    if (const auto d = decodifica(byte, i)) return sequenza_utf8{i, d->second};
  }
  return std::nullopt;
}

}  // namespace binario
