// Shows the waiting window of genera, prints where its label lies on the
// screen ("x y" of the top-left corner) and keeps it for a few seconds, so
// that a test can take a picture of it.
#include <chrono>
#include <cstdio>
#include <thread>

#include "base/platform.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#endif

namespace {

bool origine_etichetta(int* x, int* y) {
#ifdef _WIN32
  HWND w = FindWindowW(L"BinarioForm1", nullptr);
  if (w == nullptr) return false;
  POINT p{64, 64};
  ClientToScreen(w, &p);
  *x = p.x;
  *y = p.y;
  return true;
#else
  Fl_Window* w = Fl::first_window();
  if (w == nullptr) return false;
  *x = w->x_root() + 64;
  *y = w->y_root() + 64;
  return true;
#endif
}

}  // namespace

int main() {
  auto p = binario::nuova_piattaforma_con_finestra();
  p->mostra_finestra();
  p->ridisegna_finestra();
  int x = 0, y = 0;
  if (!origine_etichetta(&x, &y)) {
    std::puts("nessuna finestra");
    return 1;
  }
  std::printf("%d %d\n", x, y);
  std::fflush(stdout);
  std::this_thread::sleep_for(std::chrono::seconds(4));
  return 0;
}
