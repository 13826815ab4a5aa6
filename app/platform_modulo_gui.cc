// genera's platform on Linux: the window module when a display is there,
// otherwise the platform without a window. The module is opened only then,
// so that a headless run maps no window library.
#ifndef _WIN32

#include <dlfcn.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "app/finestra_modulo.h"
#include "base/platform.h"

namespace binario {
namespace {

// Ends the process, finds its directory and writes to standard error as the
// headless platform does; only the window and the message box differ.
class PiattaformaModulo final : public Piattaforma {
 public:
  PiattaformaModulo(std::unique_ptr<FinestraModulo> finestra, std::unique_ptr<Piattaforma> base)
      : finestra_(std::move(finestra)), base_(std::move(base)) {}

  void mostra_finestra() override { finestra_->mostra(); }
  void ridisegna_finestra() override { finestra_->ridisegna(); }
  int messaggio(const std::string& testo) override { return finestra_->messaggio(testo); }
  [[noreturn]] void termina(int codice) override {
    base_->termina(codice);
    std::abort();  // termina does not return
  }
  std::string cartella_programma() override { return base_->cartella_programma(); }
  char separatore() const override { return base_->separatore(); }

 private:
  std::unique_ptr<FinestraModulo> finestra_;
  std::unique_ptr<Piattaforma> base_;
};

}  // namespace

std::unique_ptr<FinestraModulo> carica_finestra_modulo() {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') return nullptr;
  const std::string percorso = cartella_eseguibile() + "/" + kFileModuloFinestra;
  // Never closed: the window library registers handlers that run at exit.
  void* modulo = ::dlopen(percorso.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (modulo == nullptr) return nullptr;
  auto apri = reinterpret_cast<apri_finestra_fn>(::dlsym(modulo, kApriFinestraModulo));
  if (apri == nullptr) return nullptr;
  return std::unique_ptr<FinestraModulo>(apri());
}

std::unique_ptr<Piattaforma> nuova_piattaforma_con_finestra() {
  auto base = nuova_piattaforma_senza_finestra();
  auto finestra = carica_finestra_modulo();
  if (!finestra) return base;
  return std::make_unique<PiattaformaModulo>(std::move(finestra), std::move(base));
}

}  // namespace binario

#endif  // _WIN32
