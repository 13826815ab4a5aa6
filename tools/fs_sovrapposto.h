#pragma once
// The reader deletes each description text once it has read it; for
// `genera` those texts are transient, for an author they are the source. The
// compile therefore runs on a file system in which the description paths live
// in memory (the reader reads and deletes a copy) while every other path, the
// binary outputs and their temporaries, goes to the real disk.

#include <set>
#include <string>
#include <vector>

#include "base/filesystem.h"
#include "base/memfs.h"

namespace binario {

class FileSystemSovrapposto final : public FileSystem {
 public:
  FileSystemSovrapposto(FileSystem& disco, std::set<std::string> percorsi_in_memoria)
      : disco_(disco), in_memoria_(std::move(percorsi_in_memoria)) {}

  bool exists(const std::string& path) override { return scegli(path).exists(path); }
  bool is_read_only(const std::string& path) override { return scegli(path).is_read_only(path); }
  Status read_file(const std::string& path, std::string* contents) override {
    return scegli(path).read_file(path, contents);
  }
  Status read_file_limited(const std::string& path, size_t limite, std::string* contents) override {
    return scegli(path).read_file_limited(path, limite, contents);
  }
  Status lock_directory(const std::string& cartella, int attesa_ms, std::unique_ptr<BloccoCartella>* blocco) override {
    return disco_.lock_directory(cartella, attesa_ms, blocco);
  }
  Status new_writable_file(const std::string& path, std::unique_ptr<WritableFile>* file) override {
    return scegli(path).new_writable_file(path, file);
  }
  Status rename_file(const std::string& from, const std::string& to) override;
  Status remove_file(const std::string& path) override { return scegli(path).remove_file(path); }

  // Where the copies of the description texts are put before the compile.
  MemFileSystem& memoria() { return memoria_; }
  // The disk files completed by a rename, in the order they were written.
  const std::vector<std::string>& scritti() const { return scritti_; }

 private:
  FileSystem& scegli(const std::string& path);

  FileSystem& disco_;
  std::set<std::string> in_memoria_;
  MemFileSystem memoria_;
  std::vector<std::string> scritti_;
};

}  // namespace binario
