// pavimento REGISTRO CARTELLA: the floor of a run's file work. Replays in
// CARTELLA the list that compila_lunga --registro wrote: every file the run
// left written, with its size, through the run's temporary-then-rename
// sequence, and every removal; nothing else.
#include <cstdio>
#include <fstream>

#include "base/filesystem.h"
#include "bench/registro_fs.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: pavimento REGISTRO CARTELLA\n");
    return 2;
  }
  std::ifstream in(argv[1]);
  const auto operazioni = binario::banco::leggi_registro(in);
  if (operazioni.empty()) {
    std::fprintf(stderr, "pavimento: nothing to replay in %s\n", argv[1]);
    return 1;
  }
  const binario::Status s = binario::banco::riproduci(binario::file_system_posix(), argv[2], operazioni);
  if (!s.is_ok()) {
    std::fprintf(stderr, "%s\n", s.to_string().c_str());
    return 1;
  }
  return 0;
}
