#pragma once
// The file services the run and the compile use. Everything goes through this
// interface so that tests can run a whole compile in memory and make any
// single operation fail.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/status.h"

namespace binario {

class WritableFile {
 public:
  virtual ~WritableFile() = default;
  // Writes at the file's position, which starts at 0 and moves past what
  // each append writes.
  virtual Status append(std::string_view data) = 0;
  // Writes `data` at byte `offset`, leaving the position of appends where it
  // is: a column whose place is known goes down while the one before it is
  // still being appended. A gap left before `offset` reads as zeros until it
  // is written.
  virtual Status write_at(uint64_t offset, std::string_view data) = 0;
  // Pushes everything appended so far to the storage.
  virtual Status flush() = 0;
  virtual Status close() = 0;
};

// Held by the one run that writes into a directory; destroying it lets the
// next run in.
class BloccoCartella {
 public:
  virtual ~BloccoCartella() = default;
};

// How long a run waits for another run writing into the same directory
// before it gives up, writing nothing.
inline constexpr int kAttesaCartellaMs = 30000;

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual bool exists(const std::string& path) = 0;
  // A file that exists and may not be written (on POSIX: no write bit in its
  // mode, whoever runs the program).
  virtual bool is_read_only(const std::string& path) = 0;
  // Only a regular file is read: a FIFO, a device or a directory is refused
  // (error 54) without waiting on it.
  virtual Status read_file(const std::string& path, std::string* contents) = 0;
  // As read_file, but a file of more than `limite` bytes is refused (error
  // 54) before it is read whole.
  virtual Status read_file_limited(const std::string& path, size_t limite, std::string* contents);
  // As read_file, for a reader that only looks: a file system that holds the
  // bytes in memory hands them over without a copy.
  virtual Status read_file_shared(const std::string& path, std::shared_ptr<const std::string>* contents);
  // Creates a new, empty file. Whatever already has that name (a file, a
  // link even a dangling one, a FIFO, a directory) is left alone and the
  // call fails with error 58, so that a name planted by someone else is
  // never written through.
  virtual Status new_writable_file(const std::string& path, std::unique_ptr<WritableFile>* file) = 0;
  // Replaces `to` by `from` in one step; a link at `to` is replaced, not followed.
  virtual Status rename_file(const std::string& from, const std::string& to) = 0;
  virtual Status remove_file(const std::string& path) = 0;
  // Waits up to `attesa_ms` until no other run holds `cartella`, then holds
  // it until `*blocco` is destroyed. A run that waited in vain gets error 70
  // and must write nothing. A file system no other process sees has nothing
  // to wait for.
  virtual Status lock_directory(const std::string& cartella, int attesa_ms, std::unique_ptr<BloccoCartella>* blocco);
};

// The machine's own file system (POSIX calls, or Win32 calls on Windows).
// Stateless; one instance serves every caller.
FileSystem& file_system_posix();

// A file system held in memory, for tests and for the fuzzer.
std::unique_ptr<FileSystem> nuovo_file_system_in_memoria();

// Status for an errno value of a failed call on `path`.
Status status_da_errno(int err, const std::string& path);

// The statuses every file system gives for the same refusals.
Status status_non_regolare(const std::string& path);
Status status_troppo_grande(const std::string& path, size_t limite);
Status status_cartella_occupata(const std::string& cartella, int attesa_ms);

}  // namespace binario
