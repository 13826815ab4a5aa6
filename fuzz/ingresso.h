#pragma once
// The fuzzer's input: one byte of options, the line description text, a NUL
// byte, then the service description text. Without a NUL there is no
// service description file at all. Bit 0 of the options is the `j` given to
// memorizza_percorso (1: build and write the track plan).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace binario {

struct ingresso_fuzz {
  int32_t j = 1;
  std::string_view linea;
  std::optional<std::string_view> servizio;
};

inline ingresso_fuzz scomponi(const uint8_t* data, size_t size) {
  ingresso_fuzz in;
  if (size == 0) return in;
  in.j = data[0] & 1;
  const std::string_view resto(reinterpret_cast<const char*>(data + 1), size - 1);
  const size_t nul = resto.find('\0');
  in.linea = resto.substr(0, nul);
  if (nul != std::string_view::npos) in.servizio = resto.substr(nul + 1);
  return in;
}

// Options as a printable digit, so that seeds read as text.
inline std::string componi(int32_t j, std::string_view linea, std::string_view servizio) {
  std::string s(1, j != 0 ? '1' : '0');
  s.append(linea);
  s.push_back('\0');
  s.append(servizio);
  return s;
}

}  // namespace binario
