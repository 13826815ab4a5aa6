#pragma once
// A file system held in memory: a map from path to bytes. Tests use it to run
// whole compiles without touching the disk and to mark files read-only.

#include <map>
#include <memory>
#include <set>
#include <string>

#include "base/filesystem.h"

namespace binario {

class MemFileSystem : public FileSystem {
 public:
  bool exists(const std::string& path) override;
  bool is_read_only(const std::string& path) override;
  Status read_file(const std::string& path, std::string* contents) override;
  Status new_writable_file(const std::string& path, std::unique_ptr<WritableFile>* file) override;
  Status rename_file(const std::string& from, const std::string& to) override;
  Status remove_file(const std::string& path) override;

  void set_read_only(const std::string& path, bool read_only);
  // Direct access for tests: the files as they stand.
  std::map<std::string, std::string>& files() { return files_; }

 private:
  std::map<std::string, std::string> files_;
  std::set<std::string> read_only_;
};

}  // namespace binario
