#pragma once
// The window of genera on a Linux desktop lives in a shared module that the
// program opens at run time, so that a run without a display maps no window
// library at all.

#include <memory>
#include <string>

namespace binario {

// What the module offers: the waiting window and the message box.
class FinestraModulo {
 public:
  virtual ~FinestraModulo() = default;
  virtual void mostra() = 0;
  // Paints the window and handles what the display asks of it (an expose).
  virtual void ridisegna() = 0;
  virtual int messaggio(const std::string& testo) = 0;
  // Where the label's top-left corner lies on the screen (for tests).
  virtual bool origine_etichetta(int& x, int& y) const = 0;
};

// The module's file name, looked up beside the executable, and the function
// it exports; that function returns nullptr when the display cannot be opened.
inline constexpr char kFileModuloFinestra[] = "libbinario_finestra_fltk.so";
inline constexpr char kApriFinestraModulo[] = "binario_apri_finestra";
using apri_finestra_fn = FinestraModulo* (*)();

// The module's window when DISPLAY is set, the module opens and the display
// answers; otherwise nullptr.
std::unique_ptr<FinestraModulo> carica_finestra_modulo();

}  // namespace binario
