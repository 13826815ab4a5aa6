// registra_compile [--metri N] [--registro FILE] CARTELLA
// Leaves in CARTELLA the two description texts of a generated line of N
// metres (1,000,000 unless given) and compiles them as `binario compile
// --dir CARTELLA --line Valmera-Lusa --train 019` does, through the same
// function; with --registro it writes the list of what that compile locked,
// read, wrote and removed, for pavimento to replay as the command's floor.
// The texts stay, so that bench/run then times the command itself on them.
// A compile that reports an error is a failure: it would not be worth
// measuring.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "base/filesystem.h"
#include "bench/linea_lunga.h"
#include "bench/registro_fs.h"
#include "tools/compila.h"

int main(int argc, char** argv) {
  using namespace binario;
  int32_t metri = banco::kMetriMassimi;
  std::string registro, cartella;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--metri" && i + 1 < argc)
      metri = static_cast<int32_t>(std::strtol(argv[++i], nullptr, 10));
    else if (a == "--registro" && i + 1 < argc)
      registro = argv[++i];
    else if (!a.empty() && a[0] != '-' && cartella.empty())
      cartella = a;
    else
      cartella.clear(), i = argc;
  }
  if (cartella.empty()) {
    std::fprintf(stderr, "usage: registra_compile [--metri N] [--registro FILE] CARTELLA\n");
    return 2;
  }
  auto form = banco::nuovo_form(file_system_posix(), cartella);
  if (Status s = banco::scrivi_testi(*form, banco::genera_linea_lunga(metri)); !s.is_ok()) {
    std::fprintf(stderr, "%s\n", s.to_string().c_str());
    return 3;
  }
  banco::registro_fs fs(file_system_posix());
  const esito_compilazione esito = compila(fs, {cartella, form->nome_linea, form->numero_treno});
  if (esito.guasto || esito.fatale || esito.codice_errore != 0 || !esito.errori.empty()) {
    std::fprintf(stderr, "registra_compile: the compile of the %d m line did not go through cleanly\n", metri);
    return 1;
  }
  if (!registro.empty()) {
    std::ofstream out(registro);
    banco::scrivi_registro(out, fs.operazioni());
    if (!out) {
      std::fprintf(stderr, "cannot write %s\n", registro.c_str());
      return 3;
    }
  }
  return 0;
}
