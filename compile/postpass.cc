// The post-pass: code-change marks around every slowdown, placed after the
// whole grid is known because a mark depends on features on both sides of it.
#include "compile/postpass.h"

#include <algorithm>
#include <cstddef>
#include <optional>

#include "app/form1.h"

namespace binario {

namespace {

constexpr int32_t kLimiteCamminata = 110;  // km/h; slower slowdowns get marks along their length
constexpr int32_t kPassoCamminata = 8;     // cells between two marks along a slowdown
constexpr int32_t kSegnaliDietroAvviso = 20;
constexpr int32_t kRicercaSegnale = 12;    // cells after a slowdown's end searched for its signal

class PostPass {
 public:
  explicit PostPass(Form1& f) : f_(f), ultima_(static_cast<int32_t>(f.griglia_celle.size()) - 1) {}

  void esegui() {
    f_.origine_corrente = origine_errore::post_pass;
    f_.riga_sorgente = 0;
    // A grid shorter than numero_celle says is walked only as far as it goes.
    const int32_t limite = std::min(f_.numero_celle, ultima_) - 2;
    for (f_.indice_cella = 1; f_.indice_cella <= limite; ++f_.indice_cella) {
      const int32_t i = f_.indice_cella;
      switch (c(i).tipo) {
        case tipo_cella::avviso_rallentamento:
          segnali_prima_dell_avviso(i);
          break;
        case tipo_cella::inizio_rallentamento:
          finestre_prima_dell_inizio(i);
          if (std::optional<int32_t> fine = fine_del_rallentamento(i)) segnale_dopo_la_fine(*fine);
          break;
        default:
          break;
      }
    }
  }

 private:
  bool esiste(int32_t k) const { return k >= 0 && k <= ultima_; }
  // Checked access: a slip in the bounds of a rule must fail loudly, never
  // write past the grid.
  cella& c(int32_t k) { return f_.griglia_celle.at(static_cast<std::size_t>(k)); }
  bool libera_(int32_t k) { return esiste(k) && libera(c(k)); }

  void segna(int32_t k) {
    c(k).tipo = tipo_cella::abbattimento;
    c(k).valore_a = kCodicePostPass;
    f_.occupa(k, k * 50, "punto di cambio codice");
  }

  // Tools name the cell; the simulator's side keeps only code and metre.
  void errore(int32_t codice, int32_t k) {
    f_.imposta_errore(codice);
    f_.imposta_posizione(k * 50);
    f_.errori.back().cella = k;
    // The slowdown the rule was working for, whose warning or start cell
    // the walk stands on; the blocked cell itself is `k`.
    f_.errori.back().altro = f_.occupante_di(f_.indice_cella);
  }

  // Every signal up to 20 cells behind a warning board gets a mark in front of
  // it. An existing mark is only lowered when there is no room for a new one.
  void segnali_prima_dell_avviso(int32_t i) {
    for (int32_t k = 1; k <= kSegnaliDietroAvviso; ++k) {
      const int32_t d = i - k;
      if (d < 3) return;
      if (c(d).tipo != tipo_cella::segnale) continue;
      if (libera_(d - 1)) {
        segna(d - 1);
      } else if (libera_(d - 2)) {
        segna(d - 2);
      } else if (c(d - 1).tipo == tipo_cella::abbattimento) {
        abbassa(d - 1);
      } else if (c(d - 2).tipo == tipo_cella::abbattimento) {
        abbassa(d - 2);
      } else {
        errore(11, d);
      }
    }
  }

  void abbassa(int32_t k) { c(k).valore_a = static_cast<int16_t>(minimo(kCodicePostPass, c(k).valore_a)); }

  // Three windows before a slowdown's start, each tried by itself.
  void finestre_prima_dell_inizio(int32_t i) {
    struct finestra {
      int32_t oltre;   // tried when the start lies beyond this cell
      int32_t primo;   // distance of the preferred cell; the next two follow it
    };
    static constexpr finestra kFinestre[] = {{7, 5}, {13, 11}, {20, 18}};
    for (const finestra& w : kFinestre) {
      if (i <= w.oltre) continue;
      bool segnata = false;
      for (int32_t k = i - w.primo; k >= i - w.primo - 2 && !segnata; --k) {
        if (libera_(k)) {
          segna(k);
          segnata = true;
        }
      }
      if (!segnata) errore(12, i);
    }
  }

  // The end cell of the slowdown that starts in cell i, walking through it
  // and marking every eighth cell when it is slow; none when the grid ends
  // first.
  std::optional<int32_t> fine_del_rallentamento(int32_t i) {
    if (c(i).valore_a >= kLimiteCamminata) return prima_fine_dopo(i);
    int32_t& m = f_.indice_interno;
    int32_t& contatore = f_.contatore;
    contatore = 0;
    m = i;
    for (;;) {
      if (m >= ultima_) return std::nullopt;
      ++m;
      ++contatore;
      if (contatore == kPassoCamminata) segna_passo(m);
      if (c(m).tipo == tipo_cella::fine_rallentamento) return m;
    }
  }

  // The counter is set so that the next mark falls 8 cells after this one,
  // wherever this one had to go; after an error it runs past 8 and the walk
  // marks nothing more in this slowdown.
  void segna_passo(int32_t m) {
    int32_t& contatore = f_.contatore;
    if (libera_(m)) {
      segna(m);
      contatore = 0;
    } else if (libera_(m - 1)) {
      segna(m - 1);
      contatore = 1;
    } else if (libera_(m + 1)) {
      segna(m + 1);
      contatore = -1;
    } else {
      errore(13, m);
    }
  }

  // A fast slowdown has no walk; its end is still needed to find the signal
  // after it.
  std::optional<int32_t> prima_fine_dopo(int32_t i) {
    for (int32_t k = i + 1; k <= ultima_; ++k)
      if (c(k).tipo == tipo_cella::fine_rallentamento) return k;
    return std::nullopt;
  }

  // The first signal after the end gets a mark in front of it.
  void segnale_dopo_la_fine(int32_t e) {
    const int32_t limite = std::min(e + kRicercaSegnale, ultima_);
    int32_t& s = f_.indice_ricerca;
    for (s = e; s <= limite; ++s)
      if (c(s).tipo == tipo_cella::segnale) break;
    if (s > limite || s - 1 <= 0) return;
    if (libera_(s - 1)) {
      segna(s - 1);
    } else if (libera_(s - 2)) {
      segna(s - 2);
    } else {
      errore(13, e);
    }
  }

  Form1& f_;
  const int32_t ultima_;
};

}  // namespace

void Form1::post_pass() { PostPass(*this).esegui(); }

}  // namespace binario
