#ifndef _WIN32

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/platform.h"

namespace binario {

std::string cartella_eseguibile() {
  // A path longer than the buffer comes back cut short, filling it: grow
  // the buffer rather than take a truncated directory for the real one.
  for (size_t dimensione = PATH_MAX; dimensione <= (size_t{1} << 20); dimensione *= 4) {
    std::string buf(dimensione, '\0');
    ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
    if (n <= 0) return "";
    if (static_cast<size_t>(n) == buf.size()) continue;
    buf.resize(static_cast<size_t>(n));
    auto slash = buf.rfind('/');
    if (slash == std::string::npos) return "";
    if (slash == 0) return "/";
    return buf.substr(0, slash);
  }
  return "";
}

namespace {

class PiattaformaSenzaFinestra final : public Piattaforma {
 public:
  void mostra_finestra() override {}
  // The run asks for a repaint between its steps: say the word once.
  void ridisegna_finestra() override {
    if (annunciata_) return;
    annunciata_ = true;
    if (::isatty(STDERR_FILENO)) std::fputs("Attendere\n", stderr);
  }
  int messaggio(const std::string& testo) override {
    std::fprintf(stderr, "%s\n", testo.c_str());
    return 1;  // OK
  }
  [[noreturn]] void termina(int codice) override {
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(codice);
  }
  std::string cartella_programma() override { return cartella_eseguibile(); }
  char separatore() const override { return '/'; }

 private:
  bool annunciata_ = false;
};

}  // namespace

std::unique_ptr<Piattaforma> nuova_piattaforma_senza_finestra() {
  return std::make_unique<PiattaformaSenzaFinestra>();
}

}  // namespace binario

#endif  // _WIN32
