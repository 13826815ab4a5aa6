#include "base/scrittura.h"

#include <random>

namespace binario {

Status Scrittore::svuota() {
  if (status_.is_ok() && usato_ != 0) status_ = file_.append(std::string_view(buffer_.get(), usato_));
  scritti_ += usato_;
  usato_ = 0;
  return status_;
}

void Scrittore::scarica() {
  const size_t intere = fino_al_blocco(scritti_, usato_);
  if (status_.is_ok() && intere != 0) status_ = file_.append(std::string_view(buffer_.get(), intere));
  scritti_ += intere;
  std::memmove(buffer_.get(), buffer_.get() + intere, usato_ - intere);
  usato_ -= intere;
}

void ScrittoreAPosizione::scrivi(size_t n) {
  Status& s = principale_.status_;
  if (s.is_ok() && n != 0) s = principale_.file_.write_at(inizio_, std::string_view(buffer_.get(), n));
  inizio_ += n;
  std::memmove(buffer_.get(), buffer_.get() + n, usato_ - n);
  usato_ -= n;
}

void Scrittore::put_oltre(const char* p, size_t n) {
  while (usato_ + n > kCapacita) {
    const size_t parte = kCapacita - usato_;
    std::memcpy(buffer_.get() + usato_, p, parte);
    usato_ = kCapacita;
    p += parte;
    n -= parte;
    scarica();
  }
  std::memcpy(buffer_.get() + usato_, p, n);
  usato_ += n;
}

namespace {

constexpr std::string_view kFineTemporaneo = ".tmp";
constexpr size_t kLunghezzaCasuale = 6;
// A name taken every time means something is wrong with the directory; the
// last refusal is then reported.
constexpr int kTentativi = 100;

size_t inizio_nome(const std::string& path) {
  const size_t sep = path.find_last_of("/\\");
  return sep == std::string::npos ? 0 : sep + 1;
}

std::string parte_casuale() {
  static constexpr char kCifre[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  static thread_local std::mt19937_64 generatore{std::random_device{}()};
  std::uniform_int_distribution<size_t> d(0, sizeof kCifre - 2);
  std::string s(kLunghezzaCasuale, ' ');
  for (char& c : s) c = kCifre[d(generatore)];
  return s;
}

}  // namespace

std::string nome_temporaneo(const std::string& path, std::string_view casuale) {
  const size_t n = inizio_nome(path);
  return path.substr(0, n) + "." + path.substr(n) + "." + std::string(casuale) + std::string(kFineTemporaneo);
}

std::string bersaglio_del_temporaneo(const std::string& path) {
  const size_t n = inizio_nome(path);
  const size_t coda = 1 + kLunghezzaCasuale + kFineTemporaneo.size();
  if (path.size() < n + 1 + coda + 1 || path[n] != '.' || path.compare(path.size() - kFineTemporaneo.size(),
                                                                     kFineTemporaneo.size(), kFineTemporaneo) != 0 ||
      path[path.size() - coda] != '.')
    return path;
  return path.substr(0, n) + path.substr(n + 1, path.size() - coda - n - 1);
}

namespace {

// The temporary is gone once the failure is reported: name the file the
// step was writing.
Status per_bersaglio(const Status& s, const std::string& path) {
  return Status::io(s.numero(), s.descrizione(), path);
}

}  // namespace

Status sostituisci_file(FileSystem& fs, const std::string& path,
                        const std::function<void(Scrittore&)>& produci) {
  if (fs.is_read_only(path)) return Status::io(kErroreAccesso, "Path/File access error", path);
  std::string temp;
  std::unique_ptr<WritableFile> file;
  Status s;
  for (int i = 0; i < kTentativi; ++i) {
    temp = nome_temporaneo(path, parte_casuale());
    s = fs.new_writable_file(temp, &file);
    if (s.numero() != kErroreFileEsistente) break;
  }
  if (!s.is_ok()) {
    // Only a create that failed for another reason than the name being taken
    // may have left its own empty file behind.
    if (s.numero() != kErroreFileEsistente && fs.exists(temp)) fs.remove_file(temp);
    return per_bersaglio(s, path);
  }
  try {
    Scrittore w(*file);
    produci(w);
    s = w.svuota();
  } catch (...) {
    // Nothing half written may stay behind, whatever stopped the writer.
    file->close();
    file.reset();
    fs.remove_file(temp);
    throw;
  }
  if (s.is_ok()) s = file->flush();
  Status chiusura = file->close();
  if (s.is_ok()) s = chiusura;
  file.reset();
  if (s.is_ok()) s = fs.rename_file(temp, path);
  if (!s.is_ok()) {
    fs.remove_file(temp);
    return per_bersaglio(s, path);
  }
  return Status::ok();
}

}  // namespace binario
