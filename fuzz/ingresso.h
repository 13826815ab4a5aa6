#pragma once
// The fuzzer's input: one byte of options, the line description text, a NUL
// byte, then the service description text. Without a NUL there is no
// service description file at all.
//
// Bit 0 of the options asks for the track plan (the `j` of
// memorizza_percorso), and the plan is granted to one input in sixty-four that
// ask for it, chosen by a hash of the texts. Building and writing the plan costs
// many times the rest of a compile; inputs that ask for it make up most of a
// grown corpus, because the plan's code adds features of its own, and each
// mutation changes the hash, so all but one run in sixty-four of even those are
// the reader, placement, post-pass, checks and writers alone. Under the
// sanitizers a plan of the built-in line's length takes some 7 ms against
// 0.4 ms for the rest of a compile: at one in eight the plan still took half
// of the fuzzer's time, and its few branches are reached at either rate.

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

// FNV-1a over the texts.
inline uint32_t impronta_fuzz(std::string_view testi) {
  uint32_t h = 2166136261u;
  for (unsigned char c : testi) h = (h ^ c) * 16777619u;
  return h;
}

// The top bits: the low ones of FNV-1a follow only the low bits of each byte.
inline bool tracciato_concesso(std::string_view testi) { return (impronta_fuzz(testi) >> 26) == 0; }

inline ingresso_fuzz scomponi(const uint8_t* data, size_t size) {
  ingresso_fuzz in;
  if (size == 0) return in;
  const std::string_view resto(reinterpret_cast<const char*>(data + 1), size - 1);
  in.j = (data[0] & 1) != 0 && tracciato_concesso(resto) ? 1 : 0;
  const size_t nul = resto.find('\0');
  in.linea = resto.substr(0, nul);
  if (nul != std::string_view::npos) in.servizio = resto.substr(nul + 1);
  return in;
}

// Options as a printable digit, so that seeds read as text. A seed that asks
// for the plan gets it: blank lines at the end of the service text change
// the hash until it does.
inline std::string componi(int32_t j, std::string_view linea, std::string_view servizio) {
  std::string s(1, j != 0 ? '1' : '0');
  s.append(linea);
  s.push_back('\0');
  s.append(servizio);
  while (j != 0 && !tracciato_concesso(std::string_view(s).substr(1))) s.append("\r\n");
  return s;
}

}  // namespace binario
