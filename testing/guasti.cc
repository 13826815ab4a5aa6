#include "testing/guasti.h"

#include <cerrno>

#include "app/form1.h"
#include "base/nomi_file.h"
#include "compile/output.h"

namespace binario {

const char* nome_operazione(operazione_fs op) {
  switch (op) {
    case operazione_fs::crea:
      return "crea";
    case operazione_fs::scrivi:
      return "scrivi";
    case operazione_fs::svuota:
      return "svuota";
    case operazione_fs::chiudi:
      return "chiudi";
    case operazione_fs::rinomina:
      return "rinomina";
    case operazione_fs::cancella:
      return "cancella";
    case operazione_fs::leggi:
      return "leggi";
  }
  return "?";
}

class FaultyWritableFile final : public WritableFile {
 public:
  FaultyWritableFile(FaultyFileSystem& fs, std::unique_ptr<WritableFile> base, std::string path)
      : fs_(fs), base_(std::move(base)), path_(std::move(path)) {}

  Status append(std::string_view data) override {
    return scrivi(data, [this](std::string_view d) { return base_->append(d); });
  }
  Status write_at(uint64_t offset, std::string_view data) override {
    return scrivi(data, [this, offset](std::string_view d) { return base_->write_at(offset, d); });
  }

  Status flush() override { return passa(operazione_fs::svuota, [this] { return base_->flush(); }); }
  Status close() override { return passa(operazione_fs::chiudi, [this] { return base_->close(); }); }

 private:
  // A write is one call of the log wherever it lands in the file.
  template <typename F>
  Status scrivi(std::string_view data, F scrivi_sotto) {
    bool eseguita = false;
    const int err = fs_.annota({operazione_fs::scrivi, path_, "", data.size()}, &eseguita);
    if (err != 0 && !eseguita) return status_da_errno(err, path_);
    const size_t posto = fs_.spazio(data.size());
    if (posto < data.size()) {
      scrivi_sotto(data.substr(0, posto));
      fs_.scritti_ += posto;
      if (!fs_.chiamata_guasta_) fs_.chiamata_guasta_ = fs_.registro_.size() - 1;
      return status_da_errno(ENOSPC, path_);
    }
    Status s = scrivi_sotto(data);
    if (s.is_ok()) fs_.scritti_ += data.size();
    if (err != 0) return status_da_errno(err, path_);
    return s;
  }

  template <typename F>
  Status passa(operazione_fs op, F esegui) {
    bool eseguita = false;
    const int err = fs_.annota({op, path_, "", 0}, &eseguita);
    if (err == 0) return esegui();
    if (eseguita) esegui();
    return status_da_errno(err, path_);
  }

  FaultyFileSystem& fs_;
  std::unique_ptr<WritableFile> base_;
  std::string path_;
};

void FaultyFileSystem::guasta(operazione_fs op, int n, int err, bool eseguita) {
  op_guasta_ = op;
  n_guasta_ = n;
  err_guasta_ = err;
  eseguita_guasta_ = eseguita;
}

void FaultyFileSystem::disco_pieno(size_t capacita) { capacita_ = capacita; }

void FaultyFileSystem::cartella_protetta(const std::string& cartella) { cartella_protetta_ = cartella; }

int FaultyFileSystem::annota(chiamata_fs chiamata, bool* eseguita) {
  *eseguita = false;
  if (osservatore_) osservatore_(chiamata);
  const operazione_fs op = chiamata.operazione;
  const bool cambia = op == operazione_fs::crea || op == operazione_fs::rinomina || op == operazione_fs::cancella;
  const bool protetta = cambia && (protetto(chiamata.percorso) || protetto(chiamata.destinazione));
  registro_.push_back(std::move(chiamata));
  const int numero = contatori_[static_cast<size_t>(op)]++;
  int err = 0;
  if (op_guasta_ == op && numero == n_guasta_) {
    err = err_guasta_;
    *eseguita = eseguita_guasta_;
  } else if (protetta) {
    err = EACCES;
  }
  if (err != 0 && !chiamata_guasta_) chiamata_guasta_ = registro_.size() - 1;
  return err;
}

size_t FaultyFileSystem::spazio(size_t byte) const {
  if (!capacita_) return byte;
  const size_t libero = *capacita_ > scritti_ ? *capacita_ - scritti_ : 0;
  return byte < libero ? byte : libero;
}

bool FaultyFileSystem::protetto(const std::string& path) const {
  if (!cartella_protetta_ || path.empty()) return false;
  const std::string& c = *cartella_protetta_;
  // Directly inside it: the separator right after its name, and no other.
  return path.size() > c.size() + 1 && path.compare(0, c.size(), c) == 0 &&
         (path[c.size()] == '/' || path[c.size()] == '\\') &&
         path.find_first_of("/\\", c.size() + 1) == std::string::npos;
}

Status FaultyFileSystem::read_file(const std::string& path, std::string* contents) {
  bool eseguita = false;
  const int err = annota({operazione_fs::leggi, path, "", 0}, &eseguita);
  if (err != 0) return status_da_errno(err, path);
  return base_.read_file(path, contents);
}

Status FaultyFileSystem::read_file_limited(const std::string& path, size_t limite, std::string* contents) {
  bool eseguita = false;
  const int err = annota({operazione_fs::leggi, path, "", 0}, &eseguita);
  if (err != 0) return status_da_errno(err, path);
  return base_.read_file_limited(path, limite, contents);
}

Status FaultyFileSystem::new_writable_file(const std::string& path, std::unique_ptr<WritableFile>* file) {
  bool eseguita = false;
  const int err = annota({operazione_fs::crea, path, "", 0}, &eseguita);
  std::unique_ptr<WritableFile> base_file;
  if (err == 0 || eseguita) {
    Status s = base_.new_writable_file(path, &base_file);
    if (!s.is_ok()) return s;
  }
  if (err != 0) return status_da_errno(err, path);
  *file = std::make_unique<FaultyWritableFile>(*this, std::move(base_file), path);
  return Status::ok();
}

Status FaultyFileSystem::rename_file(const std::string& from, const std::string& to) {
  bool eseguita = false;
  const int err = annota({operazione_fs::rinomina, from, to, 0}, &eseguita);
  if (err == 0) return base_.rename_file(from, to);
  if (eseguita) base_.rename_file(from, to);
  return status_da_errno(err, to);
}

Status FaultyFileSystem::remove_file(const std::string& path) {
  bool eseguita = false;
  const int err = annota({operazione_fs::cancella, path, "", 0}, &eseguita);
  if (err == 0) return base_.remove_file(path);
  if (eseguita) base_.remove_file(path);
  return status_da_errno(err, path);
}

namespace {

std::string controlla_lunghezza(const dimensione_file& dimensione, const std::string& path, size_t attesi) {
  const std::optional<size_t> n = dimensione(path);
  if (!n) return path + ": missing";
  if (*n != attesi) return path + ": " + std::to_string(*n) + " bytes, expected " + std::to_string(attesi);
  return "";
}

size_t byte_tracciato(const tabella_tracciato& t) {
  size_t n = 0;
  for (int32_t m = 0; m <= t.ultimo_metro(); ++m) {
    n += sizeof(uint16_t) + tabella_tracciato::byte_valore(t.tipo(m));
  }
  return 2 * n;  // x and y columns
}

}  // namespace

std::string verifica_file_binari(Form1& form, const dimensione_file& dimensione) {
  if (!form.griglia_creata()) return "";
  const dimensione_file leggi = [&form](const std::string& path) -> std::optional<size_t> {
    std::string dati;
    if (!form.fs.exists(path) || !form.fs.read_file(path, &dati).is_ok()) return std::nullopt;
    return dati.size();
  };
  const dimensione_file& misura = dimensione ? dimensione : leggi;
  if (form.griglia_celle.size() != static_cast<size_t>(form.numero_celle) + 1)
    return "grid of " + std::to_string(form.griglia_celle.size()) + " cells, numero_celle " +
           std::to_string(form.numero_celle);
  size_t voci = 0;
  for (const voce& v : form.voci) voci += byte_voce(v);
  std::string esito = controlla_lunghezza(misura, form.percorso(nome_file_voci(form.nome_linea, form.numero_treno)), voci);
  if (esito.empty())
    esito = controlla_lunghezza(misura, form.percorso(nome_file_griglia(form.nome_linea, form.numero_treno)),
                                kByteCella * form.griglia_celle.size());
  if (esito.empty() && form.scrivi_tracciato != 0)
    esito = controlla_lunghezza(misura, form.percorso(nome_file_tracciato(form.nome_linea)),
                                byte_tracciato(form.tracciato));
  return esito;
}

}  // namespace binario
