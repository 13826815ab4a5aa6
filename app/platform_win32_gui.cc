// The waiting window and the message box on Windows.
#ifdef _WIN32

#include <windows.h>

#include <string>

#include "base/platform.h"
#include "base/utf16_win32.h"

namespace binario {
namespace {

// Sizes of the window in pixels.
constexpr int kLarghezzaClient = 280;
constexpr int kAltezzaClient = 179;
constexpr int kEtichettaX = 64, kEtichettaY = 64, kEtichettaL = 177, kEtichettaA = 53;
constexpr wchar_t kTitolo[] = L"genera";

class PiattaformaWin32 final : public Piattaforma {
 public:
  void mostra_finestra() override {
    HINSTANCE istanza = GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = istanza;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"BinarioForm1";
    RegisterClassW(&wc);

    const DWORD stile = WS_OVERLAPPEDWINDOW;
    RECT r{0, 0, kLarghezzaClient, kAltezzaClient};
    AdjustWindowRect(&r, stile, FALSE);
    finestra_ = CreateWindowW(L"BinarioForm1", kTitolo, stile, 100, 100, r.right - r.left, r.bottom - r.top, nullptr,
                              nullptr, istanza, nullptr);
    if (finestra_ == nullptr) return;

    HWND etichetta = CreateWindowW(L"STATIC", L"Attendere", WS_CHILD | WS_VISIBLE | SS_LEFT, kEtichettaX, kEtichettaY,
                                   kEtichettaL, kEtichettaA, finestra_, nullptr, istanza, nullptr);
    HDC dc = GetDC(finestra_);
    const int altezza = -MulDiv(24, GetDeviceCaps(dc, LOGPIXELSY), 72);
    ReleaseDC(finestra_, dc);
    font_ = CreateFontW(altezza, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"MS Sans Serif");
    SendMessageW(etichetta, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
    ShowWindow(finestra_, SW_SHOWNORMAL);
  }

  void ridisegna_finestra() override {
    if (finestra_ == nullptr) return;
    // Paint now: no message loop runs once the work has begun.
    RedrawWindow(finestra_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    GdiFlush();
  }

  int messaggio(const std::string& testo) override {
    return MessageBoxW(finestra_, utf16(testo).c_str(), kTitolo, MB_OK);
  }

  [[noreturn]] void termina(int codice) override { ExitProcess(static_cast<UINT>(codice)); }

  std::string cartella_programma() override { return cartella_eseguibile(); }
  char separatore() const override { return '\\'; }

  // Where the label's top-left corner lies on the screen (for tests).
  POINT origine_etichetta() const {
    POINT p{kEtichettaX, kEtichettaY};
    if (finestra_ != nullptr) ClientToScreen(finestra_, &p);
    return p;
  }

 private:
  HWND finestra_ = nullptr;
  HFONT font_ = nullptr;
};

}  // namespace

std::unique_ptr<Piattaforma> nuova_piattaforma_con_finestra() { return std::make_unique<PiattaformaWin32>(); }

}  // namespace binario

#endif  // _WIN32
