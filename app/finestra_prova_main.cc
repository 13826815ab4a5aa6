// Shows the waiting window of genera, prints where its label lies on the
// screen ("x y" of the top-left corner) and keeps it for a few seconds, so
// that a test can take a picture of it. On Linux the window comes from the
// same module genera opens.
#include <chrono>
#include <cstdio>
#include <thread>

#ifdef _WIN32
#include <windows.h>

#include "base/platform.h"
#else
#include "app/finestra_modulo.h"
#endif

namespace {

constexpr auto kDurata = std::chrono::seconds(4);
constexpr auto kPasso = std::chrono::milliseconds(100);

#ifdef _WIN32
int mostra_e_attendi() {
  auto p = binario::nuova_piattaforma_con_finestra();
  p->mostra_finestra();
  p->ridisegna_finestra();
  HWND w = FindWindowW(L"BinarioForm1", nullptr);
  if (w == nullptr) {
    std::puts("nessuna finestra");
    return 1;
  }
  POINT origine{64, 64};
  ClientToScreen(w, &origine);
  std::printf("%ld %ld\n", origine.x, origine.y);
  std::fflush(stdout);
  std::this_thread::sleep_for(kDurata);
  return 0;
}
#else
int mostra_e_attendi() {
  auto finestra = binario::carica_finestra_modulo();
  if (!finestra) {
    std::puts("nessuna finestra");
    return 1;
  }
  finestra->mostra();
  finestra->ridisegna();
  int x = 0, y = 0;
  if (!finestra->origine_etichetta(x, y)) {
    std::puts("nessuna finestra");
    return 1;
  }
  std::printf("%d %d\n", x, y);
  std::fflush(stdout);
  // Repaints between short waits, as genera does between its steps.
  for (auto trascorso = std::chrono::milliseconds(0); trascorso < kDurata; trascorso += kPasso) {
    std::this_thread::sleep_for(kPasso);
    finestra->ridisegna();
  }
  return 0;
}
#endif

}  // namespace

int main() { return mostra_e_attendi(); }
