#pragma once
// The fixture of the compile: a Form1 over an in-memory directory holding
// the two description texts; it reads them, or compiles them and returns
// what was written.

#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/form1.h"
#include "base/memfs.h"
#include "base/nomi_file.h"

namespace binario::prova_lettura {

// Lines each ended by CR LF, as the writers write them.
inline std::string righe(std::initializer_list<std::string_view> r) {
  std::string t;
  for (std::string_view s : r) {
    t += s;
    t += "\r\n";
  }
  return t;
}

// A line description file of 29000 m (721 cells) with `sezioni` after its
// "[generale]" part.
inline std::string linea(std::string_view sezioni) {
  return righe({"[generale]", "lunghezza percorso,    29000", "[curve]"}) + std::string(sezioni);
}

// The plan's coordinates, one a metre from metre 0: the origin's, then the
// traced ones.
inline std::vector<tabella_tracciato::punto> punti(const tabella_tracciato& t) {
  std::vector<tabella_tracciato::punto> p;
  for (int32_t m = 0; m < 2; ++m)
    p.push_back({tabella_tracciato::valore_origine(m, false), tabella_tracciato::valore_origine(m, true)});
  tabella_tracciato::stato s = t.inizio();
  while (static_cast<int32_t>(p.size()) < t.prossimo_metro()) p.push_back(t.passo(s));
  return p;
}

inline const std::string kServizioVuoto = "[generale]\r\n[fine]\r\n";

// An in-memory directory whose reads or deletes of chosen files fail.
class fs_difettoso : public MemFileSystem {
 public:
  std::set<std::string> letture_rifiutate;
  std::set<std::string> rimozioni_rifiutate;

  Status read_file(const std::string& path, std::string* contents) override {
    if (letture_rifiutate.count(path) != 0) return Status::io(kErroreIO, "Device I/O error", path);
    return MemFileSystem::read_file(path, contents);
  }
  Status remove_file(const std::string& path) override {
    if (rimozioni_rifiutate.count(path) != 0) return Status::io(kErroreAccesso, "Path/File access error", path);
    return MemFileSystem::remove_file(path);
  }
};

class banco {
 public:
  fs_difettoso fs;
  Form1 f{fs, "/d"};

  banco() {
    f.nome_linea = "Prova";
    f.numero_treno = "7";
  }
  std::string percorso_linea() const { return "/d/" + nome_descrizione_linea("Prova"); }
  std::string percorso_servizio() const { return "/d/" + nome_descrizione_servizio("Prova", "7"); }

  void scrivi(const std::string& testo_linea, const std::string& testo_servizio = kServizioVuoto) {
    fs.files()[percorso_linea()] = testo_linea;
    fs.files()[percorso_servizio()] = testo_servizio;
  }
  bool c_e_linea() { return fs.exists(percorso_linea()); }
  bool c_e_servizio() { return fs.exists(percorso_servizio()); }

  // The reading of memorizza_percorso, without what follows it.
  void leggi(int32_t j = 0) {
    f.prepara_compilazione(j);
    f.memorizza_dati();
  }

  // The whole compile: its status and the directory it left.
  struct risultato {
    Status stato;
    std::map<std::string, std::string> file;
  };
  risultato compila(int32_t j = 0) {
    Status s = f.memorizza_percorso(j);
    return {s, fs.files()};
  }
};

}  // namespace binario::prova_lettura
