#pragma once
// A small line of the tool's tests: 5000 m, two stations, one slowdown, two
// signals, one sign board. It compiles without error; each test breaks one
// thing in it, so the line numbers of the texts below are part of the tests.

#include <string>
#include <vector>

namespace binario::test {

inline constexpr const char* kLineaProva = "Prova";
inline constexpr const char* kTrenoProva = "7";

inline std::vector<std::string> righe_linea_prova() {
  return {
      "[generale]",                                                                   // 1
      "lunghezza percorso,    5000",                                                  // 2
      "[pendenze]",                                                                   // 3
      "pendenza,       0,    0",                                                      // 4
      "pendenza,    2000,   -8",                                                      // 5
      "[cartelli]",                                                                   // 6
      "cartello_indicatore,   4000,(     PRIMO   )(   CAVALCAVIA)(      4.000  )",    // 7
      "[fine]",                                                                       // 8
  };
}

inline std::vector<std::string> righe_servizio_prova() {
  return {
      "[generale]",                                                                              // 1
      "numero vetture,    5",                                                                    // 2
      "percentuale massa frenata,   80",                                                         // 3
      "[aderenze]",                                                                              // 4
      "aderenza,      0,  100",                                                                  // 5
      "[vel_limite]",                                                                            // 6
      "velocita,      0,   90",                                                                  // 7
      "[stazioni]",                                                                              // 8
      "stazione,      0,  8,  300,  1,  0,  0,  0,  0,  0,  0,  0,  0,  0,  10,  30,  0,  CASTRELO",  // 9
      "stazione,   3000, 12,  300,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  10,  35,  0,  TORVELA",   // 10
      "[rallentamenti]",                                                                         // 11
      "rallentamento,   2500,  30,  200,  0,  0,  0",                                            // 12
      "[segnali]",                                                                               // 13
      "segnale,     550,  2,  4,  0,  0,  0,  0,  0,  0,  0,  0",                                // 14
      "segnale,    1500,  2,  4,  0,  0,  0,  0,  0,  0,  0,  0",                                // 15
      "[fine]",                                                                                  // 16
  };
}

// The lines as the writers write them: each ended by CR LF.
inline std::string testo(const std::vector<std::string>& righe) {
  std::string t;
  for (const std::string& r : righe) t += r + "\r\n";
  return t;
}

}  // namespace binario::test
