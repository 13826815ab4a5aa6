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
  // 0 is a failure and a full buffer a truncated name: either way, unknown.
  if (n == 0 || n >= buf.size()) return "";
  buf.resize(n);
  auto sep = buf.find_last_of(L"\\/");
  if (sep == std::wstring::npos) return "";
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
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return Status::io(kErroreFileEsistente, "File already exists", path);
    case ERROR_FILENAME_EXCED_RANGE:
      return Status::io(kErroreNomeFile, "Bad file name: name too long", path);
    case ERROR_WRITE_PROTECT:
      return Status::io(kErroreAccesso, "Path/File access error: read-only medium", path);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return Status::io(kErroreDiscoPieno, "Disk full", path);
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
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
  // A write given its offset moves the handle's own file pointer too, so
  // appends keep their position here and every write names its offset.
  Status append(std::string_view data) override {
    Status s = write_at(posizione_, data);
    if (s.is_ok()) posizione_ += data.size();
    return s;
  }
  Status write_at(uint64_t offset, std::string_view data) override {
    while (!data.empty()) {
      DWORD chunk = data.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(data.size());
      OVERLAPPED dove{};
      dove.Offset = static_cast<DWORD>(offset);
      dove.OffsetHigh = static_cast<DWORD>(offset >> 32);
      DWORD scritti = 0;
      if (!WriteFile(h_, data.data(), chunk, &scritti, &dove)) return status_da_win32(GetLastError(), path_);
      if (scritti == 0) return status_da_win32(ERROR_WRITE_FAULT, path_);
      data.remove_prefix(scritti);
      offset += scritti;
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
  uint64_t posizione_ = 0;  // where the next append goes
};

Status leggi_regolare(HANDLE h, const std::string& path, size_t limite, std::string* contents) {
  // A pipe or a device (CON, NUL, COM1) is not a text.
  if (GetFileType(h) != FILE_TYPE_DISK) return status_non_regolare(path);
  LARGE_INTEGER dimensione;
  if (!GetFileSizeEx(h, &dimensione)) return status_da_win32(GetLastError(), path);
  if (static_cast<unsigned long long>(dimensione.QuadPart) > limite) return status_troppo_grande(path, limite);
  contents->clear();
  char buf[1 << 16];
  for (;;) {
    DWORD letti = 0;
    if (!ReadFile(h, buf, sizeof buf, &letti, nullptr)) return status_da_win32(GetLastError(), path);
    if (letti == 0) return Status::ok();
    if (contents->size() + letti > limite) return status_troppo_grande(path, limite);
    contents->append(buf, letti);
  }
}

class BloccoWin32 final : public BloccoCartella {
 public:
  explicit BloccoWin32(HANDLE m) : m_(m) {}
  ~BloccoWin32() override {
    ReleaseMutex(m_);
    CloseHandle(m_);
  }

 private:
  HANDLE m_;
};

// One name per directory however it is spelt: the full path, upper case,
// hashed to fit the length of an object name.
Status nome_blocco(const std::string& cartella, std::wstring* nome) {
  const std::wstring w = utf16(cartella);
  DWORD n = GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
  if (n == 0) return status_da_win32(GetLastError(), cartella);
  std::wstring piena(n, L'\0');
  n = GetFullPathNameW(w.c_str(), n, piena.data(), nullptr);
  if (n == 0) return status_da_win32(GetLastError(), cartella);
  piena.resize(n);
  while (piena.size() > 3 && (piena.back() == L'\\' || piena.back() == L'/')) piena.pop_back();
  CharUpperBuffW(piena.data(), static_cast<DWORD>(piena.size()));
  unsigned long long h = 14695981039346656037ull;
  for (wchar_t c : piena) {
    h ^= static_cast<unsigned long long>(c == L'/' ? L'\\' : c);
    h *= 1099511628211ull;
  }
  wchar_t cifre[17];
  for (int i = 15; i >= 0; --i, h >>= 4) cifre[i] = L"0123456789abcdef"[h & 15];
  cifre[16] = L'\0';
  *nome = std::wstring(L"Global\\binario-cartella-") + cifre;
  return Status::ok();
}

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
    return read_file_limited(path, static_cast<size_t>(-1), contents);
  }
  Status read_file_limited(const std::string& path, size_t limite, std::string* contents) override {
    HANDLE h = CreateFileW(utf16(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return status_da_win32(GetLastError(), path);
    Status s = leggi_regolare(h, path, limite, contents);
    CloseHandle(h);
    if (!s.is_ok()) contents->clear();
    return s;
  }
  Status new_writable_file(const std::string& path, std::unique_ptr<WritableFile>* file) override {
    // CREATE_NEW fails on any name already taken, a link included.
    HANDLE h = CreateFileW(utf16(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
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
  // A named mutex for the directory: it leaves no file behind, and the
  // system hands it on when a run that held it is killed.
  Status lock_directory(const std::string& cartella, int attesa_ms, std::unique_ptr<BloccoCartella>* blocco) override {
    std::wstring nome;
    if (Status s = nome_blocco(cartella, &nome); !s.is_ok()) return s;
    HANDLE m = CreateMutexW(nullptr, FALSE, nome.c_str());
    if (m == nullptr) return status_da_win32(GetLastError(), cartella);
    const DWORD esito = WaitForSingleObject(m, static_cast<DWORD>(attesa_ms));
    if (esito != WAIT_OBJECT_0 && esito != WAIT_ABANDONED) {
      CloseHandle(m);
      return status_cartella_occupata(cartella, attesa_ms);
    }
    *blocco = std::make_unique<BloccoWin32>(m);
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
