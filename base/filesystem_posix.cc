#ifndef _WIN32

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <limits>
#include <thread>

#include "base/filesystem.h"
#include "base/memoria.h"

namespace binario {

namespace {

class PosixWritableFile final : public WritableFile {
 public:
  PosixWritableFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  ~PosixWritableFile() override {
    if (fd_ >= 0) ::close(fd_);
  }

  Status append(std::string_view data) override {
    Status s = scrivi_tutto(data, [this](const char* p, size_t n, uint64_t) { return ::write(fd_, p, n); });
    if (!s.is_ok()) return s;
    avvia_scrittura(posizione_, posizione_ + data.size());
    posizione_ += data.size();
    return s;
  }

  Status write_at(uint64_t offset, std::string_view data) override {
    if (offset > static_cast<uint64_t>(std::numeric_limits<off_t>::max()) - data.size())
      return status_da_errno(EFBIG, path_);
    Status s = scrivi_tutto(data, [this, offset](const char* p, size_t n, uint64_t fatti) {
      return ::pwrite(fd_, p, n, static_cast<off_t>(offset + fatti));
    });
    if (s.is_ok()) avvia_scrittura(offset, offset + data.size());
    return s;
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
  // All of `data`, through `scrivi(p, n, fatti)` for what is left from byte
  // `fatti` on, however little each call takes.
  template <typename F>
  Status scrivi_tutto(std::string_view data, F scrivi) {
    for (uint64_t fatti = 0; fatti < data.size();) {
      const ssize_t n = scrivi(data.data() + fatti, data.size() - fatti, fatti);
      if (n < 0) {
        if (errno == EINTR) continue;
        return status_da_errno(errno, path_);
      }
      fatti += static_cast<uint64_t>(n);
    }
    return Status::ok();
  }

  // Each whole megabyte written is handed to the disk at once, without
  // waiting: a long plan is then mostly on the disk while the rest is
  // computed, and the flush at the end waits for less. It is only a start;
  // the flush still decides durability. What was written since the last
  // start, [da_avviare_, fino_a_), may lie in two places of the file when a
  // column is written at its own place.
  void avvia_scrittura(uint64_t da, uint64_t a) {
#ifdef __linux__
    scritti_ += a - da;
    da_avviare_ = std::min(da_avviare_, da);
    fino_a_ = std::max(fino_a_, a);
    const uint64_t megabyte = scritti_ / kAvvioScrittura;
    if (megabyte == avviati_) return;
    ::sync_file_range(fd_, static_cast<off_t>(da_avviare_), static_cast<off_t>(fino_a_ - da_avviare_),
                      SYNC_FILE_RANGE_WRITE);
    avviati_ = megabyte;
    da_avviare_ = std::numeric_limits<uint64_t>::max();
    fino_a_ = 0;
#else
    (void)da;
    (void)a;
#endif
  }

  static constexpr uint64_t kAvvioScrittura = uint64_t{1} << 20;
  int fd_;
  std::string path_;
  uint64_t posizione_ = 0;  // where the next append goes
  uint64_t scritti_ = 0;    // bytes written, wherever
  uint64_t avviati_ = 0;    // whole megabytes of them handed to the disk
  uint64_t da_avviare_ = std::numeric_limits<uint64_t>::max();
  uint64_t fino_a_ = 0;
};

class BloccoPosix final : public BloccoCartella {
 public:
  explicit BloccoPosix(int fd) : fd_(fd) {}
  ~BloccoPosix() override { ::close(fd_); }  // closing the descriptor releases the lock

 private:
  int fd_;
};

Status leggi_regolare(int fd, const std::string& path, size_t limite, std::string* contents) {
  struct stat st;
  if (::fstat(fd, &st) != 0) return status_da_errno(errno, path);
  if (S_ISDIR(st.st_mode)) return status_da_errno(EISDIR, path);
  if (!S_ISREG(st.st_mode)) return status_non_regolare(path);
  if (static_cast<uintmax_t>(st.st_size) > limite) return status_troppo_grande(path, limite);
  // Straight into the string, sized from fstat with one byte more to see the
  // end; a file that grows while it is read is held to the same limit.
  size_t letti = 0;
  contents->reserve(static_cast<size_t>(st.st_size) + 1);
  prepara_pagine(contents->data(), contents->capacity());
  contents->resize(static_cast<size_t>(st.st_size) + 1);
  for (;;) {
    if (letti == contents->size())
      contents->resize(letti + std::min(std::max<size_t>(letti, 1 << 16), limite - letti) + 1);
    ssize_t n = ::read(fd, contents->data() + letti, contents->size() - letti);
    if (n < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      contents->clear();
      return status_da_errno(errno, path);
    }
    if (n == 0) break;
    letti += static_cast<size_t>(n);
    if (letti > limite) {
      contents->clear();
      return status_troppo_grande(path, limite);
    }
  }
  contents->resize(letti);
  return Status::ok();
}

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
    return read_file_limited(path, std::numeric_limits<size_t>::max(), contents);
  }

  Status read_file_limited(const std::string& path, size_t limite, std::string* contents) override {
    // Without O_NONBLOCK, opening a FIFO would wait for a writer for ever.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return status_da_errno(errno, path);
    Status s = leggi_regolare(fd, path, limite, contents);
    ::close(fd);
    if (!s.is_ok()) contents->clear();
    return s;
  }

  Status new_writable_file(const std::string& path, std::unique_ptr<WritableFile>* file) override {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0644);
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

  // The lock is on the directory itself, so that it leaves no file behind
  // and a run killed midway releases it with its last descriptor.
  Status lock_directory(const std::string& cartella, int attesa_ms, std::unique_ptr<BloccoCartella>* blocco) override {
    int fd = ::open(cartella.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return status_da_errno(errno, cartella);
    const auto scadenza = std::chrono::steady_clock::now() + std::chrono::milliseconds(attesa_ms);
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const int err = errno;
      if (err == EINTR) continue;
      if (err != EWOULDBLOCK) {
        ::close(fd);
        return status_da_errno(err, cartella);
      }
      if (std::chrono::steady_clock::now() >= scadenza) {
        ::close(fd);
        return status_cartella_occupata(cartella, attesa_ms);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    *blocco = std::make_unique<BloccoPosix>(fd);
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
