// The waiting window and the message box on a Linux desktop, built as a
// shared module that genera opens only when a display is there.
#ifndef _WIN32

#include <FL/Enumerations.H>
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Window.H>
#include <FL/fl_ask.H>
#include <FL/platform.H>

#include <chrono>
#include <memory>
#include <string>

#include "app/finestra_modulo.h"

namespace binario {
namespace {

constexpr int kLarghezzaClient = 280;
constexpr int kAltezzaClient = 179;
constexpr int kEtichettaX = 64, kEtichettaY = 64;
// A display that never maps the window must not hold up the run.
constexpr auto kAttesaMassima = std::chrono::seconds(5);

// Knows whether it has been painted since the display mapped it: FLTK draws
// a window only once its first expose has come in.
class FinestraAttesa final : public Fl_Window {
 public:
  using Fl_Window::Fl_Window;
  bool disegnata() const { return disegnata_; }

 protected:
  void draw() override {
    Fl_Window::draw();
    disegnata_ = true;
  }

 private:
  bool disegnata_ = false;
};

class FinestraFltk final : public FinestraModulo {
 public:
  void mostra() override {
    finestra_ = std::make_unique<FinestraAttesa>(100, 100, kLarghezzaClient, kAltezzaClient, "genera");
    // A bold sans font stands in for "MS Sans Serif" 24 point bold.
    auto* etichetta = new Fl_Box(kEtichettaX, kEtichettaY, 177, 53, "Attendere");
    etichetta->labelfont(FL_HELVETICA_BOLD);
    etichetta->labelsize(28);  // DejaVu Sans is wider than the original face: keep the word inside the label
    etichetta->align(FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
    etichetta->box(FL_NO_BOX);
    finestra_->end();
    finestra_->show();
  }

  void ridisegna() override {
    if (!finestra_) return;
    if (!finestra_->disegnata()) aspetta_primo_disegno();
    // No event loop runs while the work goes on: handle here whatever the
    // display has asked since (an expose after being covered), and hand the
    // drawing over before the next step.
    Fl::check();
    Fl::flush();
    XSync(fl_display, False);
  }

  int messaggio(const std::string& testo) override {
    fl_message_title("genera");
    fl_message("%s", testo.c_str());
    return 1;
  }

  bool origine_etichetta(int& x, int& y) const override {
    if (!finestra_ || !finestra_->shown()) return false;
    x = finestra_->x_root() + kEtichettaX;
    y = finestra_->y_root() + kEtichettaY;
    return true;
  }

 private:
  // Drawing before the window is mapped paints nothing, and the expose
  // that follows would never be handled once the work has begun.
  void aspetta_primo_disegno() {
    const auto fine = std::chrono::steady_clock::now() + kAttesaMassima;
    while (!(finestra_->disegnata() && finestra_->damage() == 0) && std::chrono::steady_clock::now() < fine) {
      Fl::wait(0.05);
    }
  }

  std::unique_ptr<FinestraAttesa> finestra_;
};

}  // namespace
}  // namespace binario

extern "C" __attribute__((visibility("default"))) binario::FinestraModulo* binario_apri_finestra() {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return nullptr;
  fl_open_display(display);
  return new binario::FinestraFltk();
}

#endif  // _WIN32
