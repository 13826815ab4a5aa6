#include "bench/registro_fs.h"

#include <algorithm>

#include "base/scrittura.h"

namespace binario::banco {

namespace {

std::string senza_cartella(const std::string& path) {
  const auto barra = path.find_last_of('/');
  return barra == std::string::npos ? path : path.substr(barra + 1);
}

class file_contato final : public WritableFile {
 public:
  file_contato(std::unique_ptr<WritableFile> sotto, uint64_t& byte) : sotto_(std::move(sotto)), byte_(byte) {}
  Status append(std::string_view data) override {
    byte_ += data.size();
    return sotto_->append(data);
  }
  // Columns written at their own place never overlap: the bytes add up to
  // the file's size.
  Status write_at(uint64_t offset, std::string_view data) override {
    byte_ += data.size();
    return sotto_->write_at(offset, data);
  }
  Status flush() override { return sotto_->flush(); }
  Status close() override { return sotto_->close(); }

 private:
  std::unique_ptr<WritableFile> sotto_;
  uint64_t& byte_;
};

}  // namespace

Status registro_fs::new_writable_file(const std::string& path, std::unique_ptr<WritableFile>* file) {
  std::unique_ptr<WritableFile> vero;
  Status s = sotto_.new_writable_file(path, &vero);
  if (!s.is_ok()) return s;
  uint64_t& byte = in_scrittura_[path];
  byte = 0;
  *file = std::make_unique<file_contato>(std::move(vero), byte);
  return s;
}

Status registro_fs::read_file(const std::string& path, std::string* contents) {
  Status s = sotto_.read_file(path, contents);
  if (s.is_ok()) operazioni_.push_back({operazione_file::tipo::leggi, senza_cartella(path), contents->size()});
  return s;
}

Status registro_fs::read_file_limited(const std::string& path, size_t limite, std::string* contents) {
  Status s = sotto_.read_file_limited(path, limite, contents);
  if (s.is_ok()) operazioni_.push_back({operazione_file::tipo::leggi, senza_cartella(path), contents->size()});
  return s;
}

Status registro_fs::lock_directory(const std::string& cartella, int attesa_ms, std::unique_ptr<BloccoCartella>* blocco) {
  Status s = sotto_.lock_directory(cartella, attesa_ms, blocco);
  if (s.is_ok()) operazioni_.push_back({operazione_file::tipo::blocca, ".", 0});
  return s;
}

Status registro_fs::rename_file(const std::string& from, const std::string& to) {
  Status s = sotto_.rename_file(from, to);
  if (s.is_ok()) {
    operazioni_.push_back({operazione_file::tipo::scrivi, senza_cartella(to), in_scrittura_[from]});
    in_scrittura_.erase(from);
  }
  return s;
}

Status registro_fs::remove_file(const std::string& path) {
  Status s = sotto_.remove_file(path);
  if (s.is_ok()) operazioni_.push_back({operazione_file::tipo::rimuovi, senza_cartella(path), 0});
  return s;
}

uint64_t registro_fs::byte_scritti() const {
  uint64_t n = 0;
  for (const auto& op : operazioni_)
    if (op.cosa == operazione_file::tipo::scrivi) n += op.byte;
  return n;
}

void scrivi_registro(std::ostream& out, const std::vector<operazione_file>& operazioni) {
  for (const auto& op : operazioni) {
    switch (op.cosa) {
      case operazione_file::tipo::scrivi: out << "scrivi " << op.nome << ' ' << op.byte << '\n'; break;
      case operazione_file::tipo::leggi: out << "leggi " << op.nome << ' ' << op.byte << '\n'; break;
      case operazione_file::tipo::rimuovi: out << "rimuovi " << op.nome << '\n'; break;
      case operazione_file::tipo::blocca: out << "blocca .\n"; break;
    }
  }
}

std::vector<operazione_file> leggi_registro(std::istream& in) {
  std::vector<operazione_file> operazioni;
  std::string cosa, nome;
  while (in >> cosa >> nome) {
    operazione_file op{operazione_file::tipo::rimuovi, nome, 0};
    if (cosa == "scrivi" || cosa == "leggi") {
      op.cosa = cosa == "scrivi" ? operazione_file::tipo::scrivi : operazione_file::tipo::leggi;
      in >> op.byte;
    } else if (cosa == "blocca") {
      op.cosa = operazione_file::tipo::blocca;
    }
    operazioni.push_back(std::move(op));
  }
  return operazioni;
}

Status riproduci(FileSystem& fs, const std::string& cartella, const std::vector<operazione_file>& operazioni) {
  const std::string blocco(1 << 16, 'x');
  std::vector<std::unique_ptr<BloccoCartella>> blocchi;  // held until the replay ends, as a run holds its lock
  for (const auto& op : operazioni) {
    const std::string path = cartella + "/" + op.nome;
    Status s;
    if (op.cosa == operazione_file::tipo::rimuovi) {
      s = fs.remove_file(path);
    } else if (op.cosa == operazione_file::tipo::leggi) {
      std::string dati;
      s = fs.read_file(path, &dati);
    } else if (op.cosa == operazione_file::tipo::blocca) {
      s = fs.lock_directory(cartella, 0, &blocchi.emplace_back());
    } else {
      s = sostituisci_file(fs, path, [&](Scrittore& w) {
        for (uint64_t resto = op.byte; resto > 0;) {
          const auto n = std::min<uint64_t>(resto, blocco.size());
          w.bytes(std::string_view(blocco).substr(0, n));
          resto -= n;
        }
      });
    }
    if (!s.is_ok()) return s;
  }
  return Status::ok();
}

}  // namespace binario::banco
