#include "tools/fs_sovrapposto.h"

namespace binario {

namespace {

Status non_trovato(const std::string& path) { return Status::io(kErroreFileNonTrovato, "File not found", path); }

// A description path is read and removed by the compile, never written:
// writing it would replace the author's source.
Status solo_lettura(const std::string& path) { return Status::io(kErroreAccesso, "Path/File access error", path); }

}  // namespace

void FileSystemSovrapposto::poni_testo(const std::string& path, std::shared_ptr<const std::string> testo) {
  if (in_memoria(path)) testi_[path] = std::move(testo);
}

std::shared_ptr<const std::string> FileSystemSovrapposto::testo(const std::string& path) const {
  auto it = testi_.find(path);
  return it == testi_.end() ? nullptr : it->second;
}

bool FileSystemSovrapposto::exists(const std::string& path) {
  return in_memoria(path) ? testo(path) != nullptr : disco_.exists(path);
}

Status FileSystemSovrapposto::read_file(const std::string& path, std::string* contents) {
  if (!in_memoria(path)) return disco_.read_file(path, contents);
  const auto t = testo(path);
  if (t == nullptr) return non_trovato(path);
  *contents = *t;
  return Status::ok();
}

Status FileSystemSovrapposto::read_file_limited(const std::string& path, size_t limite, std::string* contents) {
  if (!in_memoria(path)) return disco_.read_file_limited(path, limite, contents);
  return FileSystem::read_file_limited(path, limite, contents);
}

Status FileSystemSovrapposto::read_file_shared(const std::string& path, std::shared_ptr<const std::string>* contents) {
  if (!in_memoria(path)) return disco_.read_file_shared(path, contents);
  auto t = testo(path);
  if (t == nullptr) return non_trovato(path);
  *contents = std::move(t);
  return Status::ok();
}

Status FileSystemSovrapposto::new_writable_file(const std::string& path, std::unique_ptr<WritableFile>* file) {
  if (in_memoria(path)) return solo_lettura(path);
  return disco_.new_writable_file(path, file);
}

Status FileSystemSovrapposto::rename_file(const std::string& from, const std::string& to) {
  // A move between memory and disk would either lose the author's text or
  // write a description path on disk; neither belongs to a compile.
  if (in_memoria(from) || in_memoria(to)) return solo_lettura(to);
  Status s = disco_.rename_file(from, to);
  if (s.is_ok()) scritti_.push_back(to);
  return s;
}

Status FileSystemSovrapposto::remove_file(const std::string& path) {
  if (!in_memoria(path)) return disco_.remove_file(path);
  if (testo(path) == nullptr) return non_trovato(path);
  // Hidden from the compile; the caller still holds the text.
  testi_[path] = nullptr;
  return Status::ok();
}

}  // namespace binario
