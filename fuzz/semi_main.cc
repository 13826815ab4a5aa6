// Writes the built-in description texts, as their writers produce them, as
// fuzzer seeds into the directory given: once with the plan and once without.
#include <cstdio>
#include <fstream>
#include <string>

#include "app/form1.h"
#include "base/memfs.h"
#include "base/nomi_file.h"
#include "app/run.h"
#include "fuzz/ingresso.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIRECTORY\n", argv[0]);
    return 2;
  }
  using namespace binario;
  MemFileSystem fs;
  Form1 form(fs, "/prog", '/');
  form.nome_linea = kNomeLinea;
  form.numero_treno = kNumeroTreno;
  if (!form.dati_linea().is_ok() || !form.dati_treno().is_ok()) return 1;
  const std::string& linea = fs.files().at(form.percorso(nome_descrizione_linea(form.nome_linea)));
  const std::string& servizio =
      fs.files().at(form.percorso(nome_descrizione_servizio(form.nome_linea, form.numero_treno)));
  for (int32_t j : {1, 0}) {
    const std::string nome = std::string(argv[1]) + "/predefinito-j" + std::to_string(j);
    std::ofstream out(nome, std::ios::binary);
    out << componi(j, linea, servizio);
    if (!out) return 1;
  }
  return 0;
}
