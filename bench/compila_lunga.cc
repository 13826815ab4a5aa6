// compila_lunga [--metri N] [--incorporato] [--registro FILE] CARTELLA
// Does in CARTELLA what genera does in its own directory (the lock on it
// included), for a generated line of N metres (1,000,000 unless given):
// writes the two description texts, then compiles them with the plan,
// leaving the three binary files. With --incorporato it runs the built-in
// scenario's steps instead. With --registro it also writes the list of what
// the run locked, read, left written and removed, for pavimento to replay. A compile error is a failure: the
// generated lines must compile cleanly to be worth measuring.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "base/filesystem.h"
#include "bench/linea_lunga.h"
#include "bench/registro_fs.h"

namespace {

int uso() {
  std::fprintf(stderr, "usage: compila_lunga [--metri N] [--incorporato] [--registro FILE] CARTELLA\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace binario;
  int32_t metri = banco::kMetriMassimi;
  bool incorporato = false;
  std::string registro, cartella;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--metri" && i + 1 < argc)
      metri = static_cast<int32_t>(std::strtol(argv[++i], nullptr, 10));
    else if (a == "--incorporato")
      incorporato = true;
    else if (a == "--registro" && i + 1 < argc)
      registro = argv[++i];
    else if (!a.empty() && a[0] != '-' && cartella.empty())
      cartella = a;
    else
      return uso();
  }
  if (cartella.empty()) return uso();

  banco::registro_fs fs_registrato(file_system_posix());
  FileSystem& fs = registro.empty() ? file_system_posix() : fs_registrato;
  auto form = banco::nuovo_form(fs, cartella);
  // Held to the end, as genera holds the lock on its directory.
  std::unique_ptr<BloccoCartella> blocco;
  Status s = fs.lock_directory(cartella, kAttesaCartellaMs, &blocco);
  try {
    if (s.is_ok()) s = incorporato ? form->esegui_passi() : banco::compila(*form, banco::genera_linea_lunga(metri));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 2;
  }
  if (!s.is_ok()) {
    std::fprintf(stderr, "%s\n", s.to_string().c_str());
    return 3;
  }
  if (form->codice_errore != 0) {
    std::fprintf(stderr, "compile error %d at %d m\n", form->codice_errore,
                 form->posizione_errore);
    return 1;
  }
  if (!form->griglia_creata()) {
    std::fprintf(stderr, "the compile made no grid\n");
    return 1;
  }
  if (!registro.empty()) {
    std::ofstream out(registro);
    banco::scrivi_registro(out, fs_registrato.operazioni());
    if (!out) {
      std::fprintf(stderr, "cannot write %s\n", registro.c_str());
      return 3;
    }
  }
  return 0;
}
