#include "tools/compila_memoria.h"

#include "base/memfs.h"
#include "base/nomi_file.h"

namespace binario {

esito_compilazione compila_in_memoria(const std::string& cartella, const std::string& linea, const std::string& treno,
                                      const std::optional<std::string>& testo_linea,
                                      const std::optional<std::string>& testo_servizio, bool tracciato) {
  MemFileSystem memoria;
  const std::string base = cartella + "/";
  if (testo_linea) memoria.files()[base + nome_descrizione_linea(linea)] = *testo_linea;
  if (testo_servizio) memoria.files()[base + nome_descrizione_servizio(linea, treno)] = *testo_servizio;
  esito_compilazione esito = compila(memoria, {cartella, linea, treno, tracciato});
  // Written only into `memoria`: reporting them would tell the author that
  // files exist which do not.
  esito.file_scritti.clear();
  return esito;
}

}  // namespace binario
