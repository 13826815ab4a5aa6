#ifndef _WIN32

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/filesystem.h"

namespace binario {

namespace {

class PosixWritableFile final : public WritableFile {
 public:
  PosixWritableFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  ~PosixWritableFile() override {
    if (fd_ >= 0) ::close(fd_);
  }

  Status append(std::string_view data) override {
    while (!data.empty()) {
      ssize_t n = ::write(fd_, data.data(), data.size());
      if (n < 0) {
        if (errno == EINTR) continue;
        return status_da_errno(errno, path_);
      }
      data.remove_prefix(static_cast<size_t>(n));
    }
    return Status::ok();
  }

  Status flush() override {
    if (::fsync(fd_) != 0 && errno != EINVAL && errno != EROFS) return status_da_errno(errno, path_);
    return Status::ok();
  }

  Status close() override {
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return status_da_errno(errno, path_);
    return Status::ok();
  }

 private:
  int fd_;
  std::string path_;
};

class PosixFileSystem final : public FileSystem {
 public:
  bool exists(const std::string& path) override {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
  }

  bool is_read_only(const std::string& path) override {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return false;
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
  }

  Status read_file(const std::string& path, std::string* contents) override {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return status_da_errno(errno, path);
    contents->clear();
    char buf[1 << 16];
    for (;;) {
      ssize_t n = ::read(fd, buf, sizeof buf);
      if (n < 0) {
        if (errno == EINTR) continue;
        int err = errno;
        ::close(fd);
        return status_da_errno(err, path);
      }
      if (n == 0) break;
      contents->append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return Status::ok();
  }

  Status new_writable_file(const std::string& path, std::unique_ptr<WritableFile>* file) override {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return status_da_errno(errno, path);
    *file = std::make_unique<PosixWritableFile>(fd, path);
    return Status::ok();
  }

  Status rename_file(const std::string& from, const std::string& to) override {
    if (std::rename(from.c_str(), to.c_str()) != 0) return status_da_errno(errno, to);
    return Status::ok();
  }

  Status remove_file(const std::string& path) override {
    if (::unlink(path.c_str()) != 0) return status_da_errno(errno, path);
    return Status::ok();
  }
};

}  // namespace

FileSystem& file_system_posix() {
  static PosixFileSystem fs;
  return fs;
}

}  // namespace binario

#endif  // _WIN32
