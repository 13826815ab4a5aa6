#pragma once
// A file system for measuring the compile by itself: the text files live in
// memory, since the compile reads them back; the bytes of every other file
// are only counted. No disk, and no megabytes of output held in memory whose
// first touch would weigh more than the work being measured.

#include <map>
#include <memory>
#include <string>

#include "base/memfs.h"

namespace binario {

class fs_senza_disco final : public FileSystem {
 public:
  bool exists(const std::string& path) override { return testi_.exists(path) || contati_.count(path) != 0; }
  bool is_read_only(const std::string&) override { return false; }
  Status read_file(const std::string& path, std::string* contents) override {
    return testi_.read_file(path, contents);
  }
  Status new_writable_file(const std::string& path, std::unique_ptr<WritableFile>* file) override {
    if (testo(path)) return testi_.new_writable_file(path, file);
    *file = std::make_unique<contato>(contati_[path]);
    contati_[path] = 0;
    return Status::ok();
  }
  Status rename_file(const std::string& from, const std::string& to) override {
    if (testo(to)) return testi_.rename_file(from, to);
    contati_[to] = contati_[from];
    contati_.erase(from);
    return Status::ok();
  }
  Status remove_file(const std::string& path) override {
    if (contati_.erase(path) != 0) return Status::ok();
    return testi_.remove_file(path);
  }

  uint64_t byte(const std::string& path) const {
    auto it = contati_.find(path);
    return it == contati_.end() ? 0 : it->second;
  }

 private:
  class contato final : public WritableFile {
   public:
    explicit contato(uint64_t& n) : n_(n) {}
    Status append(std::string_view data) override {
      n_ += data.size();
      return Status::ok();
    }
    Status write_at(uint64_t, std::string_view data) override { return append(data); }
    Status flush() override { return Status::ok(); }
    Status close() override { return Status::ok(); }

   private:
    uint64_t& n_;
  };

  // A text's temporary (".NAME.txt.XXXXXX.tmp") holds ".txt" too.
  static bool testo(const std::string& path) { return path.find(".txt") != std::string::npos; }

  MemFileSystem testi_;
  std::map<std::string, uint64_t> contati_;
};

}  // namespace binario
