#include "app/scrittura.h"

namespace binario {

Status Scrittore::svuota() {
  if (status_.is_ok() && usato_ != 0) status_ = file_.append(std::string_view(buffer_.get(), usato_));
  usato_ = 0;
  return status_;
}

std::string nome_temporaneo(const std::string& path) { return path + ".tmp"; }

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
  const std::string temp = nome_temporaneo(path);
  std::unique_ptr<WritableFile> file;
  Status s = fs.new_writable_file(temp, &file);
  if (!s.is_ok()) {
    // Creating may have left an empty file behind before failing.
    if (fs.exists(temp)) fs.remove_file(temp);
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
