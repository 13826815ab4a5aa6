#pragma once
// The reader deletes each description text once it has read it; for
// `genera` those texts are transient, for an author they are the source. The
// compile therefore runs on a file system in which the description paths are
// the texts the caller read, held in memory (the reader reads them without a
// copy, and its deletion only hides them), while every other path, the binary
// outputs and their temporaries, goes to the real disk.

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/filesystem.h"

namespace binario {

class FileSystemSovrapposto final : public FileSystem {
 public:
  FileSystemSovrapposto(FileSystem& disco, std::set<std::string> percorsi_in_memoria)
      : disco_(disco), in_memoria_(std::move(percorsi_in_memoria)) {}

  // The text read at `path`, one of the paths in memory, before the compile.
  void poni_testo(const std::string& path, std::shared_ptr<const std::string> testo);

  bool exists(const std::string& path) override;
  bool is_read_only(const std::string& path) override { return !in_memoria(path) && disco_.is_read_only(path); }
  Status read_file(const std::string& path, std::string* contents) override;
  Status read_file_limited(const std::string& path, size_t limite, std::string* contents) override;
  Status read_file_shared(const std::string& path, std::shared_ptr<const std::string>* contents) override;
  Status lock_directory(const std::string& cartella, int attesa_ms, std::unique_ptr<BloccoCartella>* blocco) override {
    return disco_.lock_directory(cartella, attesa_ms, blocco);
  }
  Status new_writable_file(const std::string& path, std::unique_ptr<WritableFile>* file) override;
  Status rename_file(const std::string& from, const std::string& to) override;
  Status remove_file(const std::string& path) override;

  // The disk files completed by a rename, in the order they were written.
  const std::vector<std::string>& scritti() const { return scritti_; }

 private:
  bool in_memoria(const std::string& path) const { return in_memoria_.count(path) != 0; }
  // The text at a path in memory, or null once removed or never given.
  std::shared_ptr<const std::string> testo(const std::string& path) const;

  FileSystem& disco_;
  std::set<std::string> in_memoria_;
  std::map<std::string, std::shared_ptr<const std::string>> testi_;
  std::vector<std::string> scritti_;
};

}  // namespace binario
