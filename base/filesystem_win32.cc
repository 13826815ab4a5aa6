#ifdef _WIN32

#include <windows.h>

#include <string>

#include "base/filesystem.h"
#include "base/platform.h"
#include "base/utf16_win32.h"

namespace binario {

std::wstring utf16(const std::string& s) {
  if (s.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

std::string utf8(const std::wstring& w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

std::string cartella_eseguibile() {
  std::wstring buf(32768, L'\0');
  DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
  buf.resize(n);
  auto sep = buf.find_last_of(L"\\/");
  if (sep == std::wstring::npos) return ".";
  // A drive's root keeps its separator ("C:\"); the file names append one more.
  if (sep == 2 && buf[1] == L':') return utf8(buf.substr(0, 3));
  return utf8(buf.substr(0, sep));
}

namespace {

Status status_da_win32(DWORD err, const std::string& path) {
  switch (err) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return Status::io(kErroreFileNonTrovato, "File not found", path);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return Status::io(kErroreDiscoPieno, "Disk full", path);
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
      return Status::io(kErroreAccesso, "Path/File access error", path);
    default:
      return Status::io(kErroreIO, "Device I/O error", path);
  }
}

class Win32WritableFile final : public WritableFile {
 public:
  Win32WritableFile(HANDLE h, std::string path) : h_(h), path_(std::move(path)) {}
  ~Win32WritableFile() override {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
  }
  Status append(std::string_view data) override {
    while (!data.empty()) {
      DWORD chunk = data.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(data.size());
      DWORD scritti = 0;
      if (!WriteFile(h_, data.data(), chunk, &scritti, nullptr)) return status_da_win32(GetLastError(), path_);
      data.remove_prefix(scritti);
    }
    return Status::ok();
  }
  Status flush() override {
    if (!FlushFileBuffers(h_)) return status_da_win32(GetLastError(), path_);
    return Status::ok();
  }
  Status close() override {
    HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    if (!CloseHandle(h)) return status_da_win32(GetLastError(), path_);
    return Status::ok();
  }

 private:
  HANDLE h_;
  std::string path_;
};

class Win32FileSystem final : public FileSystem {
 public:
  bool exists(const std::string& path) override {
    return GetFileAttributesW(utf16(path).c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  bool is_read_only(const std::string& path) override {
    DWORD a = GetFileAttributesW(utf16(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY) != 0;
  }
  Status read_file(const std::string& path, std::string* contents) override {
    HANDLE h = CreateFileW(utf16(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return status_da_win32(GetLastError(), path);
    contents->clear();
    char buf[1 << 16];
    for (;;) {
      DWORD letti = 0;
      if (!ReadFile(h, buf, sizeof buf, &letti, nullptr)) {
        DWORD err = GetLastError();
        CloseHandle(h);
        return status_da_win32(err, path);
      }
      if (letti == 0) break;
      contents->append(buf, letti);
    }
    CloseHandle(h);
    return Status::ok();
  }
  Status new_writable_file(const std::string& path, std::unique_ptr<WritableFile>* file) override {
    HANDLE h = CreateFileW(utf16(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return status_da_win32(GetLastError(), path);
    *file = std::make_unique<Win32WritableFile>(h, path);
    return Status::ok();
  }
  Status rename_file(const std::string& from, const std::string& to) override {
    if (!MoveFileExW(utf16(from).c_str(), utf16(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return status_da_win32(GetLastError(), to);
    return Status::ok();
  }
  Status remove_file(const std::string& path) override {
    if (!DeleteFileW(utf16(path).c_str())) return status_da_win32(GetLastError(), path);
    return Status::ok();
  }
};

}  // namespace

FileSystem& file_system_posix() {
  static Win32FileSystem fs;
  return fs;
}

}  // namespace binario

#endif  // _WIN32
