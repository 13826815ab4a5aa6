// Arbitrary bytes as the two description texts, through the whole compile in
// memory: reader, placement, post-pass, final checks and the binary writers.
// Beyond what the sanitizers catch, a compile must end cleanly: a known code,
// recorded for the tools as well, the fatal 1250 or 1251 as a status (never
// the end of the process), the line description text consumed, and every
// binary file either not written or written whole.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "app/form1.h"
#include "testing/guasti.h"
#include "base/nomi_file.h"
#include "app/run.h"
#include "compile/codici.h"
#include "fuzz/ingresso.h"

namespace binario {
namespace {

// Files in memory. What the compile writes is kept only as a byte count: a
// plan file may take 20 MB, and copying it on every input would make the
// fuzzer crawl.
class FsContato final : public FileSystem {
 public:
  struct File {
    std::string testo;  // the description texts
    size_t byte = 0;    // files written by the compile
    bool scritto = false;
  };

  bool exists(const std::string& path) override { return file.count(path) != 0; }
  bool is_read_only(const std::string&) override { return false; }
  Status read_file(const std::string& path, std::string* contents) override {
    auto it = file.find(path);
    if (it == file.end()) return Status::io(kErroreFileNonTrovato, "File not found", path);
    if (it->second.scritto) return Status::io(kErroreIO, "Device I/O error: output read back", path);
    *contents = it->second.testo;
    return Status::ok();
  }
  Status new_writable_file(const std::string& path, std::unique_ptr<WritableFile>* out) override {
    file[path] = File{"", 0, true};
    *out = std::make_unique<Scrivibile>(*this, path);
    return Status::ok();
  }
  Status rename_file(const std::string& from, const std::string& to) override {
    auto it = file.find(from);
    if (it == file.end()) return Status::io(kErroreFileNonTrovato, "File not found", from);
    File f = std::move(it->second);
    file.erase(it);
    file[to] = std::move(f);
    return Status::ok();
  }
  Status remove_file(const std::string& path) override {
    if (file.erase(path) == 0) return Status::io(kErroreFileNonTrovato, "File not found", path);
    return Status::ok();
  }

  std::map<std::string, File> file;

 private:
  class Scrivibile final : public WritableFile {
   public:
    Scrivibile(FsContato& fs, std::string path) : fs_(fs), path_(std::move(path)) {}
    Status append(std::string_view data) override {
      auto it = fs_.file.find(path_);
      if (it == fs_.file.end()) return Status::io(kErroreIO, "Device I/O error: file gone", path_);
      it->second.byte += data.size();
      return Status::ok();
    }
    Status write_at(uint64_t, std::string_view data) override { return append(data); }
    Status flush() override { return Status::ok(); }
    Status close() override { return Status::ok(); }

   private:
    FsContato& fs_;
    std::string path_;
  };
};

[[noreturn]] void violato(const std::string& cosa) {
  std::fprintf(stderr, "broken invariant: %s\n", cosa.c_str());
  std::fflush(stderr);
  std::abort();
}

bool codice_noto(int32_t c) {
  return codice_di_compilazione(c);
}

void compila(const ingresso_fuzz& in) {
  FsContato fs;
  Form1 form(fs, "/prog", '/');
  form.nome_linea = kNomeLinea;
  form.numero_treno = kNumeroTreno;
  const std::string linea = form.percorso(nome_descrizione_linea(form.nome_linea));
  const std::string servizio = form.percorso(nome_descrizione_servizio(form.nome_linea, form.numero_treno));
  fs.file[linea].testo = std::string(in.linea);
  if (in.servizio) fs.file[servizio].testo = std::string(*in.servizio);

  const Status s = form.memorizza_percorso(in.j);

  if (!s.is_ok() && !(s.is_fatale() && (s.numero() == 1250 || s.numero() == 1251)))
    violato("compile ended with " + s.to_string());
  if (!codice_noto(form.codice_errore)) violato("unknown compile error " + std::to_string(form.codice_errore));
  // Tools show the recorded errors; the last one must be the code the
  // simulator's side keeps.
  if (form.codice_errore != (form.errori.empty() ? 0 : form.errori.back().codice))
    violato("codice_errore " + std::to_string(form.codice_errore) + " is not the last recorded error");
  if (fs.exists(linea)) violato("line description text left behind");
  if (in.j == 0 && form.tracciato.esiste()) violato("plan built although j = 0");

  const std::string tracciato = form.percorso(nome_file_tracciato(form.nome_linea));
  const std::string voci = form.percorso(nome_file_voci(form.nome_linea, form.numero_treno));
  const std::string griglia = form.percorso(nome_file_griglia(form.nome_linea, form.numero_treno));
  const bool scritti = s.is_ok() && form.griglia_creata();
  if (fs.exists(voci) != scritti || fs.exists(griglia) != scritti) violato("header or grid file written wrongly");
  if (fs.exists(tracciato) != (scritti && in.j != 0)) violato("plan file written wrongly");
  if (scritti) {
    const std::string v = verifica_file_binari(form, [&fs](const std::string& path) -> std::optional<size_t> {
      auto it = fs.file.find(path);
      if (it == fs.file.end()) return std::nullopt;
      return it->second.byte;
    });
    if (!v.empty()) violato(v);
  }
  for (const auto& [nome, f] : fs.file)
    if (nome != servizio && nome != tracciato && nome != voci && nome != griglia) violato("stray file " + nome);
}

}  // namespace
}  // namespace binario

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  binario::compila(binario::scomponi(data, size));
  return 0;
}
