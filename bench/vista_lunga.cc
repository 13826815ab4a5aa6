// vista_lunga [--metri N] [--giri K] CARTELLA
// The page of a generated line of N metres (1,000,000 unless given): writes
// the two description texts into CARTELLA, then K times (5 unless given)
// builds the page as `binario view` does (compile in memory, model, HTML,
// safe replacement of CARTELLA/Valmera-Lusa_019.html), and prints the time of
// each and the page's size. The texts stay, for `binario view` to be timed
// on them from the command line too.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/filesystem.h"
#include "base/scrittura.h"
#include "bench/linea_lunga.h"
#include "tools/vista.h"

int main(int argc, char** argv) {
  using namespace binario;
  int32_t metri = banco::kMetriMassimi;
  int giri = 5;
  std::string cartella;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--metri" && i + 1 < argc) metri = static_cast<int32_t>(std::strtol(argv[++i], nullptr, 10));
    else if (a == "--giri" && i + 1 < argc) giri = static_cast<int>(std::strtol(argv[++i], nullptr, 10));
    else if (!a.empty() && a[0] != '-' && cartella.empty()) cartella = a;
    else {
      std::fprintf(stderr, "usage: vista_lunga [--metri N] [--giri K] CARTELLA\n");
      return 2;
    }
  }
  if (cartella.empty()) return 2;
  FileSystem& disco = file_system_posix();
  auto form = banco::nuovo_form(disco, cartella);
  if (!banco::scrivi_testi(*form, banco::genera_linea_lunga(metri)).is_ok()) return 3;
  const richiesta_compilazione r{cartella, form->nome_linea, form->numero_treno, true};
  const std::string uscita = cartella + "/" + r.linea + "_" + r.treno + ".html";
  for (int g = 0; g < giri; ++g) {
    const auto t0 = std::chrono::steady_clock::now();
    const nlohmann::ordered_json modello = modello_da_testi(disco, r);
    const auto t1 = std::chrono::steady_clock::now();
    const std::string pagina = pagina_vista(modello, false);
    if (!sostituisci_file(disco, uscita, [&](Scrittore& w) { w.bytes(pagina); }).is_ok()) return 3;
    const auto t2 = std::chrono::steady_clock::now();
    const auto ms = [](auto d) { return std::chrono::duration<double, std::milli>(d).count(); };
    std::printf("%d m: %.1f ms in all (model %.1f ms, page and file %.1f ms), %zu bytes, %zu errors\n", metri,
                ms(t2 - t0), ms(t1 - t0), ms(t2 - t1), pagina.size(), modello["diagnostica"]["errors"].size());
  }
  return 0;
}
