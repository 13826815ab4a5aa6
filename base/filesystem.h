#pragma once
// The file services the run and the compile use. Everything goes through this
// interface so that tests can run a whole compile in memory and make any
// single operation fail.

#include <memory>
#include <string>
#include <string_view>

#include "base/status.h"

namespace binario {

class WritableFile {
 public:
  virtual ~WritableFile() = default;
  virtual Status append(std::string_view data) = 0;
  // Pushes everything appended so far to the storage.
  virtual Status flush() = 0;
  virtual Status close() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual bool exists(const std::string& path) = 0;
  // A file that exists and may not be written (on POSIX: no write bit in its
  // mode, whoever runs the program).
  virtual bool is_read_only(const std::string& path) = 0;
  virtual Status read_file(const std::string& path, std::string* contents) = 0;
  // Creates the file, or empties an existing one.
  virtual Status new_writable_file(const std::string& path, std::unique_ptr<WritableFile>* file) = 0;
  // Replaces `to` by `from` in one step.
  virtual Status rename_file(const std::string& from, const std::string& to) = 0;
  virtual Status remove_file(const std::string& path) = 0;
};

// The machine's own file system (POSIX calls, or Win32 calls on Windows).
// Stateless; one instance serves every caller.
FileSystem& file_system_posix();

// A file system held in memory, for tests and for the fuzzer.
std::unique_ptr<FileSystem> nuovo_file_system_in_memoria();

// Status for an errno value of a failed call on `path`.
Status status_da_errno(int err, const std::string& path);

}  // namespace binario
