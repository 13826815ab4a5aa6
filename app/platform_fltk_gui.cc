// The waiting window and the message box on a Linux desktop. Without a
// display (CI, a server, a plain terminal) the program stays headless.
#ifndef _WIN32

#include <FL/Enumerations.H>
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Window.H>
#include <FL/fl_ask.H>
#include <FL/platform.H>

#include <cstdlib>
#include <cstdio>
#include <memory>
#include <string>

#include "base/platform.h"

namespace binario {
namespace {

constexpr int kLarghezzaClient = 280;
constexpr int kAltezzaClient = 179;

class PiattaformaFltk final : public Piattaforma {
 public:
  void mostra_finestra() override {
    finestra_ = std::make_unique<Fl_Window>(100, 100, kLarghezzaClient, kAltezzaClient, "genera");
    // A bold sans font stands in for "MS Sans Serif" 24 point bold.
    auto* etichetta = new Fl_Box(64, 64, 177, 53, "Attendere");
    etichetta->labelfont(FL_HELVETICA_BOLD);
    etichetta->labelsize(28);  // DejaVu Sans is wider than the original face: keep the word inside the label
    etichetta->align(FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
    etichetta->box(FL_NO_BOX);
    finestra_->end();
    finestra_->show();
  }

  void ridisegna_finestra() override {
    if (!finestra_) return;
    // Let the X server map the window, then paint it and hand the drawing
    // over; no event loop runs once the work has begun.
    for (int i = 0; i < 25 && !finestra_->visible(); ++i) Fl::wait(0.02);
    for (int i = 0; i < 5; ++i) Fl::check();
    finestra_->redraw();
    Fl::flush();
    XSync(fl_display, False);
  }

  int messaggio(const std::string& testo) override {
    fl_message_title("genera");
    fl_message("%s", testo.c_str());
    return 1;
  }

  [[noreturn]] void termina(int codice) override {
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(codice);
  }

  std::string cartella_programma() override { return cartella_eseguibile(); }
  char separatore() const override { return '/'; }

 private:
  std::unique_ptr<Fl_Window> finestra_;
};

bool display_disponibile() {
  const char* d = std::getenv("DISPLAY");
  if (d == nullptr || *d == '\0') return false;
  Display* prova = XOpenDisplay(nullptr);
  if (prova == nullptr) return false;
  XCloseDisplay(prova);
  return true;
}

}  // namespace

std::unique_ptr<Piattaforma> nuova_piattaforma_con_finestra() {
  if (!display_disponibile()) return nuova_piattaforma_senza_finestra();
  fl_open_display();
  return std::make_unique<PiattaformaFltk>();
}

}  // namespace binario

#endif  // _WIN32
