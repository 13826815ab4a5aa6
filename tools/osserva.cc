#include "tools/osserva.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#ifdef _WIN32
#include <windows.h>

#include "base/utf16_win32.h"
#else
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/inotify.h>
#endif
#endif

namespace binario {

namespace {

// Editors write a text in several steps (truncate, write, close, rename):
// one compile for the lot, once they have gone quiet this long.
constexpr std::chrono::milliseconds kQuiete{5};
// ... but a file written without pause still gets compiled this often.
constexpr std::chrono::milliseconds kAttesaMassima{250};
constexpr std::chrono::milliseconds kPeriodoPolling{200};

std::filesystem::path percorso(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

struct impronta {
  bool esiste = false;
  std::uintmax_t dimensione = 0;
  std::filesystem::file_time_type modifica{};
  bool operator==(const impronta&) const = default;
};

impronta impronta_di(const std::filesystem::path& p) {
  std::error_code ec;
  impronta i;
  i.modifica = std::filesystem::last_write_time(p, ec);
  if (ec) return {};
  i.dimensione = std::filesystem::file_size(p, ec);
  if (ec) return {};
  i.esiste = true;
  return i;
}

class osservatore_polling : public osservatore {
 public:
  osservatore_polling(const std::string& cartella, const std::vector<std::string>& nomi) {
    for (const std::string& n : nomi) file_.push_back(percorso(cartella) / percorso(n));
    ultime_ = impronte();
  }

  bool attendi() override {
    std::unique_lock lock(mutex_);
    for (;;) {
      if (cv_.wait_for(lock, kPeriodoPolling, [this] { return fermato_; })) return false;
      std::vector<impronta> ora = impronte();
      if (ora != ultime_) {
        ultime_ = std::move(ora);
        return true;
      }
    }
  }

  void ferma() override {
    {
      std::lock_guard lock(mutex_);
      fermato_ = true;
    }
    cv_.notify_all();
  }

 private:
  std::vector<impronta> impronte() const {
    std::vector<impronta> v;
    for (const auto& f : file_) v.push_back(impronta_di(f));
    return v;
  }

  std::vector<std::filesystem::path> file_;
  std::vector<impronta> ultime_;
  std::mutex mutex_;
  std::condition_variable cv_;
  bool fermato_ = false;
};

#ifdef __linux__

class osservatore_inotify : public osservatore {
 public:
  static std::unique_ptr<osservatore> crea(const std::string& cartella, std::vector<std::string> nomi) {
    auto o = std::unique_ptr<osservatore_inotify>(new osservatore_inotify(std::move(nomi)));
    if (o->fd_ < 0 || o->stop_[0] < 0) return nullptr;
    const uint32_t maschera = IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_CREATE | IN_DELETE;
    if (inotify_add_watch(o->fd_, cartella.c_str(), maschera) < 0) return nullptr;
    return o;
  }

  ~osservatore_inotify() override {
    if (fd_ >= 0) ::close(fd_);
    for (int f : stop_)
      if (f >= 0) ::close(f);
  }

  bool attendi() override {
    bool cambiato = false;
    auto limite = std::chrono::steady_clock::time_point::max();
    for (;;) {
      int attesa = -1;
      if (cambiato) {
        auto ora = std::chrono::steady_clock::now();
        if (ora >= limite) return true;
        attesa = static_cast<int>(std::min<std::chrono::milliseconds>(
                                      kQuiete, std::chrono::ceil<std::chrono::milliseconds>(limite - ora))
                                      .count());
      }
      pollfd p[2] = {{fd_, POLLIN, 0}, {stop_[0], POLLIN, 0}};
      int n = ::poll(p, 2, attesa);
      if (n < 0 && errno == EINTR) continue;
      if (p[1].revents != 0) return false;
      if (n == 0) return true;  // quiet after a change
      if (leggi_eventi() && !cambiato) {
        cambiato = true;
        limite = std::chrono::steady_clock::now() + kAttesaMassima;
      }
    }
  }

  void ferma() override {
    const char c = 'f';
    [[maybe_unused]] ssize_t n = ::write(stop_[1], &c, 1);
  }

 private:
  explicit osservatore_inotify(std::vector<std::string> nomi) : nomi_(std::move(nomi)) {
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (::pipe2(stop_, O_NONBLOCK | O_CLOEXEC) != 0) stop_[0] = stop_[1] = -1;
  }

  // True when an event concerned one of the watched names.
  bool leggi_eventi() {
    bool nostro = false;
    alignas(inotify_event) char buf[16384];
    for (;;) {
      ssize_t n = ::read(fd_, buf, sizeof buf);
      if (n <= 0) return nostro;
      for (char* p = buf; p < buf + n;) {
        const auto* e = reinterpret_cast<const inotify_event*>(p);
        // A lost queue may have held one of ours.
        if ((e->mask & IN_Q_OVERFLOW) != 0) nostro = true;
        if (e->len > 0 && std::find(nomi_.begin(), nomi_.end(), std::string(e->name)) != nomi_.end()) nostro = true;
        p += sizeof(inotify_event) + e->len;
      }
    }
  }

  std::vector<std::string> nomi_;
  int fd_ = -1;
  int stop_[2] = {-1, -1};
};

#endif  // __linux__

#ifdef _WIN32

class osservatore_win32 : public osservatore {
 public:
  static std::unique_ptr<osservatore> crea(const std::string& cartella, const std::vector<std::string>& nomi) {
    auto o = std::unique_ptr<osservatore_win32>(new osservatore_win32(nomi));
    o->dir_ = CreateFileW(utf16(cartella).c_str(), FILE_LIST_DIRECTORY,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                          FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
    if (o->dir_ == INVALID_HANDLE_VALUE || o->io_ == nullptr || o->stop_ == nullptr || !o->leggi()) return nullptr;
    return o;
  }

  ~osservatore_win32() override {
    if (dir_ != INVALID_HANDLE_VALUE) {
      if (in_corso_) {
        CancelIoEx(dir_, &ov_);
        DWORD n = 0;
        GetOverlappedResult(dir_, &ov_, &n, TRUE);
      }
      CloseHandle(dir_);
    }
    if (io_ != nullptr) CloseHandle(io_);
    if (stop_ != nullptr) CloseHandle(stop_);
  }

  bool attendi() override {
    bool cambiato = false;
    const ULONGLONG quiete = static_cast<ULONGLONG>(kQuiete.count());
    ULONGLONG limite = 0;
    for (;;) {
      DWORD attesa = INFINITE;
      if (cambiato) {
        ULONGLONG ora = GetTickCount64();
        if (ora >= limite) return true;
        attesa = static_cast<DWORD>(std::min(quiete, limite - ora));
      }
      HANDLE h[2] = {stop_, io_};
      DWORD r = WaitForMultipleObjects(2, h, FALSE, attesa);
      if (r == WAIT_OBJECT_0) return false;
      if (r == WAIT_TIMEOUT) return true;
      if (r != WAIT_OBJECT_0 + 1) return true;
      DWORD n = 0;
      in_corso_ = false;
      const bool ok = GetOverlappedResult(dir_, &ov_, &n, FALSE) != 0;
      // No bytes: the system dropped the list, and ours may have been in it.
      const bool nostro = !ok || n == 0 || nomi_nel_buffer(n);
      if (!leggi()) return true;
      if (nostro && !cambiato) {
        cambiato = true;
        limite = GetTickCount64() + static_cast<ULONGLONG>(kAttesaMassima.count());
      }
    }
  }

  void ferma() override { SetEvent(stop_); }

 private:
  explicit osservatore_win32(const std::vector<std::string>& nomi) {
    for (const std::string& n : nomi) nomi_.push_back(utf16(n));
    io_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ov_.hEvent = io_;
  }

  bool leggi() {
    ResetEvent(io_);
    const DWORD filtro = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE;
    in_corso_ = ReadDirectoryChangesW(dir_, buf_, sizeof buf_, FALSE, filtro, nullptr, &ov_, nullptr) != 0;
    return in_corso_;
  }

  bool nomi_nel_buffer(DWORD n) const {
    bool nostro = false;
    for (DWORD off = 0; off < n;) {
      const auto* f = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(buf_ + off);
      std::wstring nome(f->FileName, f->FileNameLength / sizeof(WCHAR));
      for (const std::wstring& w : nomi_)
        if (CompareStringOrdinal(nome.c_str(), -1, w.c_str(), -1, TRUE) == CSTR_EQUAL) nostro = true;
      if (f->NextEntryOffset == 0) break;
      off += f->NextEntryOffset;
    }
    return nostro;
  }

  std::vector<std::wstring> nomi_;
  HANDLE dir_ = INVALID_HANDLE_VALUE;
  HANDLE io_ = nullptr;
  HANDLE stop_ = nullptr;
  OVERLAPPED ov_{};
  bool in_corso_ = false;
  alignas(DWORD) char buf_[16384];
};

#endif  // _WIN32

}  // namespace

std::unique_ptr<osservatore> nuovo_osservatore(const std::string& cartella, std::vector<std::string> nomi,
                                               bool polling) {
  if (!polling) {
#if defined(__linux__)
    if (auto o = osservatore_inotify::crea(cartella, nomi)) return o;
#elif defined(_WIN32)
    if (auto o = osservatore_win32::crea(cartella, nomi)) return o;
#endif
  }
  return std::make_unique<osservatore_polling>(cartella, nomi);
}

#ifdef _WIN32

struct arresto_su_segnale::stato {
  std::function<void()> azione;
  HANDLE finito = nullptr;
  std::atomic<bool> chiamato{false};
};

namespace {
std::atomic<arresto_su_segnale::stato*> g_arresto{nullptr};
}

static BOOL WINAPI gestore_console(DWORD tipo) {
  arresto_su_segnale::stato* s = g_arresto.load();
  if (s == nullptr) return FALSE;
  if (!s->chiamato.exchange(true)) s->azione();
  // On a closed console the process is ended as soon as this returns: give
  // the clean end its time.
  if (tipo == CTRL_CLOSE_EVENT || tipo == CTRL_LOGOFF_EVENT || tipo == CTRL_SHUTDOWN_EVENT)
    WaitForSingleObject(s->finito, 4000);
  return TRUE;
}

arresto_su_segnale::arresto_su_segnale(std::function<void()> azione) : s_(std::make_unique<stato>()) {
  s_->azione = std::move(azione);
  s_->finito = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  g_arresto = s_.get();
  SetConsoleCtrlHandler(gestore_console, TRUE);
}

arresto_su_segnale::~arresto_su_segnale() {
  SetEvent(s_->finito);
  SetConsoleCtrlHandler(gestore_console, FALSE);
  g_arresto = nullptr;
  CloseHandle(s_->finito);
}

#else

struct arresto_su_segnale::stato {
  std::function<void()> azione;
  int tubo[2] = {-1, -1};
  struct sigaction prima_int {};
  struct sigaction prima_term {};
  std::thread filo;
};

namespace {
std::atomic<int> g_tubo{-1};

// Only a write to a pipe is safe in a signal handler; the work happens in
// the thread that reads it.
extern "C" void gestore_segnale(int) {
  const int salvato = errno;
  const char c = 's';
  const int fd = g_tubo.load();
  if (fd >= 0) [[maybe_unused]] ssize_t n = ::write(fd, &c, 1);
  errno = salvato;
}
}  // namespace

arresto_su_segnale::arresto_su_segnale(std::function<void()> azione) : s_(std::make_unique<stato>()) {
  s_->azione = std::move(azione);
  if (::pipe(s_->tubo) != 0) return;
  ::fcntl(s_->tubo[1], F_SETFL, O_NONBLOCK);
  g_tubo = s_->tubo[1];
  struct sigaction sa {};
  sa.sa_handler = gestore_segnale;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  sigaction(SIGINT, &sa, &s_->prima_int);
  sigaction(SIGTERM, &sa, &s_->prima_term);
  s_->filo = std::thread([s = s_.get()] {
    bool chiamato = false;
    char c = 0;
    while (::read(s->tubo[0], &c, 1) == 1 && c == 's') {
      if (!chiamato) s->azione();
      chiamato = true;
    }
  });
}

arresto_su_segnale::~arresto_su_segnale() {
  if (!s_->filo.joinable()) return;
  sigaction(SIGINT, &s_->prima_int, nullptr);
  sigaction(SIGTERM, &s_->prima_term, nullptr);
  g_tubo = -1;
  const char c = 'q';
  [[maybe_unused]] ssize_t n = ::write(s_->tubo[1], &c, 1);
  s_->filo.join();
  ::close(s_->tubo[0]);
  ::close(s_->tubo[1]);
}

#endif

}  // namespace binario
