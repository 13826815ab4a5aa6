#include "base/memfs.h"

namespace binario {

namespace {

class MemWritableFile final : public WritableFile {
 public:
  MemWritableFile(std::map<std::string, std::string>& files, std::string path)
      : files_(files), path_(std::move(path)) {}

  Status append(std::string_view data) override {
    Status s = write_at(posizione_, data);
    if (s.is_ok()) posizione_ += data.size();
    return s;
  }
  Status write_at(uint64_t offset, std::string_view data) override {
    auto it = files_.find(path_);
    if (it == files_.end()) return Status::io(kErroreIO, "Device I/O error", path_);
    std::string& f = it->second;
    if (offset > f.max_size() - data.size()) return Status::io(kErroreIO, "Device I/O error", path_);
    const size_t da = static_cast<size_t>(offset);
    if (da == f.size()) {
      f.append(data);
      return Status::ok();
    }
    if (f.size() < da + data.size()) f.resize(da + data.size());
    f.replace(da, data.size(), data);
    return Status::ok();
  }
  Status flush() override { return Status::ok(); }
  Status close() override { return Status::ok(); }

 private:
  std::map<std::string, std::string>& files_;
  std::string path_;
  uint64_t posizione_ = 0;
};

}  // namespace

bool MemFileSystem::exists(const std::string& path) { return files_.count(path) != 0; }

bool MemFileSystem::is_read_only(const std::string& path) {
  return exists(path) && read_only_.count(path) != 0;
}

Status MemFileSystem::read_file(const std::string& path, std::string* contents) {
  auto it = files_.find(path);
  if (it == files_.end()) return Status::io(kErroreFileNonTrovato, "File not found", path);
  *contents = it->second;
  return Status::ok();
}

Status MemFileSystem::new_writable_file(const std::string& path, std::unique_ptr<WritableFile>* file) {
  if (exists(path)) return Status::io(kErroreFileEsistente, "File already exists", path);
  files_[path].clear();
  *file = std::make_unique<MemWritableFile>(files_, path);
  return Status::ok();
}

Status MemFileSystem::rename_file(const std::string& from, const std::string& to) {
  auto it = files_.find(from);
  if (it == files_.end()) return Status::io(kErroreFileNonTrovato, "File not found", from);
  std::string data = std::move(it->second);
  files_.erase(it);
  files_[to] = std::move(data);
  read_only_.erase(to);
  return Status::ok();
}

Status MemFileSystem::remove_file(const std::string& path) {
  if (files_.erase(path) == 0) return Status::io(kErroreFileNonTrovato, "File not found", path);
  read_only_.erase(path);
  return Status::ok();
}

void MemFileSystem::set_read_only(const std::string& path, bool read_only) {
  if (read_only)
    read_only_.insert(path);
  else
    read_only_.erase(path);
}

std::unique_ptr<FileSystem> nuovo_file_system_in_memoria() { return std::make_unique<MemFileSystem>(); }

}  // namespace binario
