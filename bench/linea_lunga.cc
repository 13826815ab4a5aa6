#include "bench/linea_lunga.h"

#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstdio>
#include <stdexcept>
#include <string_view>

#include "base/nomi_file.h"
#include "app/run.h"
#include "base/scrittura.h"
#include "sources/nomi.h"

namespace binario::banco {

namespace {

// Every feature sits at a fixed offset inside its kilometre, so that no two of
// them ever ask for the same cell, and the code-change marks that the compile
// adds around a slowdown find their first-choice cells free:
//   signal       +500  (cell 20k+11)      sign board      +250 (cell 20k+6)
//   speed boards +700  (cell 20k+15)      station         +0   (stop cell 20k+2)
//   slowdown     +200, 1800 m long: warning, start and end in cells
//                20k-19, 20k+5 and 20k+41, the block before the warning in
//                cells 20k-23..20k-20, a signal 10 cells after the end.
constexpr int32_t kScostamentoSegnale = 500;
constexpr int32_t kScostamentoCartello = 250;
constexpr int32_t kScostamentoIndicatori = 700;
constexpr int32_t kScostamentoRallentamento = 200;
constexpr int32_t kLunghezzaRallentamento = 1800;

// The header keeps 80 slots for the station rows and the sign-board texts
// together; 60 stations and 8 boards leave room to spare.
constexpr int kCartelli = 8;
constexpr int kStazioniMassime = 60;
constexpr int32_t kPassoStazioniMinimo = 4;  // km
constexpr int32_t kPassoRallentamenti = 50;  // km
constexpr int32_t kPassoVelocita = 50;       // km
constexpr int32_t kPassoMontagne = 25;       // km
constexpr int32_t kMetriPendenza = 500;

constexpr std::array<int, 26> kPendenze = {0,  -8, 0,  10, 0,  8,   0,   2,  -4, 0,  3,   -5,  5,
                                           -2, 6,  12, 18, 11, -10, -16, -1, -8, -12, -14, -2, 0};
constexpr std::array<int, 3> kVelocita = {100, 80, 90};
constexpr std::array<int, 3> kVelocitaRallentamento = {30, 40, 60};

void riga(std::string& out, const char* formato, ...) __attribute__((format(printf, 2, 3)));
void riga(std::string& out, const char* formato, ...) {
  char buf[256];
  va_list ap;
  va_start(ap, formato);
  const int n = std::vsnprintf(buf, sizeof buf, formato, ap);
  va_end(ap);
  out.append(buf, static_cast<size_t>(std::clamp(n, 0, static_cast<int>(sizeof buf) - 1)));
  out.append("\r\n");
}

struct disposizione {
  int32_t metri = 0;
  int32_t km = 0;               // whole kilometres of line
  int32_t passo_stazioni = 0;   // km between stations
  int32_t ultima_stazione = 0;  // km of the last station
};

disposizione disponi(int32_t metri) {
  if (metri < 10'000 || metri > kMetriMassimi)
    throw std::invalid_argument("line length outside 10000..1000000: " + std::to_string(metri));
  disposizione d;
  d.metri = metri;
  d.km = metri / 1000;
  d.passo_stazioni = std::max(kPassoStazioniMinimo, (d.km - 1 + kStazioniMassime - 2) / (kStazioniMassime - 1));
  d.ultima_stazione = (d.km - 1) / d.passo_stazioni * d.passo_stazioni;
  return d;
}

// Slowdowns every kPassoRallentamenti km from km 5, each with its end and
// the signal after it still on the line.
template <typename F>
void per_ogni_rallentamento(const disposizione& d, F f) {
  for (int32_t k = 5; k + 3 <= d.km - 1; k += kPassoRallentamenti) f(k);
}

std::string testo_cartello(int b, int32_t posizione) {
  static constexpr std::array<std::string_view, 4> kPrime = {"(     EX STAZIONE)", "(     VIADOTTO DI)",
                                                             "(    VIADOTTO    )", "(PONTE           )"};
  const std::array<std::string_view, 4> seconde = {nomi::kExStazione, nomi::kViadottoDi, nomi::kViadotto,
                                                   nomi::kCanale};
  const auto i = static_cast<size_t>(b) % kPrime.size();
  // Sixteen characters inside the brackets, a short name set in by 7 blanks.
  const std::string nome(seconde[i]);
  const int prima = std::clamp(16 - static_cast<int>(nome.size()), 0, 7);
  char seconda[32];
  std::snprintf(seconda, sizeof seconda, "(%*s%-*s)", prima, "", 16 - prima, nome.c_str());
  char terza[32];
  std::snprintf(terza, sizeof terza, "(%10.3f      )", posizione / 1000.0);
  return std::string(kPrime[i]) + seconda + terza;
}

std::string testo_linea(const disposizione& d) {
  std::string t;
  t.reserve(static_cast<size_t>(d.km) * 80 + 4096);
  riga(t, "[generale]");
  riga(t, "lunghezza percorso,    %d", d.metri);
  riga(t, "progressiva chilometrica uno,    0,    0,    0");
  riga(t, "progressiva chilometrica due,    0,    0,    0");
  riga(t, "progressiva chilometrica tre,    0,    0,    0");
  riga(t, "sfondo uno,    1");
  riga(t, "sfondo due,    0");
  riga(t, "sfondo tre,    0");
  riga(t, "ripetizione segnali 4 codici,    0    ,0");

  // Gentle curves that swing back and forth, with a sharper one every seventh
  // kilometre, so the plan is traced over a realistic share of its metres.
  riga(t, "[curve]");
  for (int32_t k = 0; k < d.km; ++k) {
    const char lato = k % 2 == 0 ? 'd' : 's';
    const bool stretta = k % 7 == 3;
    riga(t, "curva%c%c,  %d,  %d", lato, stretta ? '5' : '3', k * 1000 + 200, stretta ? 100 : 200);
  }

  riga(t, "[pendenze]");
  for (int32_t p = 0, i = 0; p <= d.metri; p += kMetriPendenza, ++i)
    riga(t, "pendenza,  %d,   %d", p, kPendenze[static_cast<size_t>(i) % kPendenze.size()]);

  riga(t, "[montagne]");
  for (int32_t k = 3; k < d.km; k += kPassoMontagne)
    riga(t, "montagna,   %d,  %d,  12", k * 1000 + 100, k * 1000 + 900);

  riga(t, "[cartelli]");
  riga(t, "indicatori_vmax,  600,  90,  90,  90,  0,  ,  ,  ,  0");
  for (int32_t k = kPassoVelocita, i = 0; k < d.km; k += kPassoVelocita, ++i) {
    const int v = kVelocita[static_cast<size_t>(i) % kVelocita.size()];
    riga(t, "indicatori_vmax,  %d,  %d,  %d,  %d,  0,  ,  ,  ,  0", k * 1000 + kScostamentoIndicatori, v, v, v);
  }

  riga(t, "[indicazioni]");
  for (int b = 0; b < kCartelli; ++b) {
    const int32_t k = (2 * b + 1) * d.km / (2 * kCartelli);
    const int32_t p = k * 1000 + kScostamentoCartello;
    riga(t, "cartello_indicatore,  %d,   %s", p, testo_cartello(b, p).c_str());
  }
  riga(t, "[fine]");
  return t;
}

std::string nome_stazione(int i) {
  const auto& s = nomi::kStazioni[static_cast<size_t>(i) % nomi::kStazioni.size()];
  std::string nome(s.nome);
  if (i >= static_cast<int>(nomi::kStazioni.size())) {
    nome += ' ';
    nome += std::to_string(i / static_cast<int>(nomi::kStazioni.size()) + 1);
  }
  return nome;
}

void righe_stazioni(std::string& t, const disposizione& d) {
  static constexpr std::array<int, 5> kTipi = {12, 22, 24, 12, 28};
  for (int32_t k = 0, i = 0; k <= d.ultima_stazione; k += d.passo_stazioni, ++i) {
    const bool prima = k == 0;
    const bool ultima = k == d.ultima_stazione;
    const int tipo = prima ? 8 : ultima ? 12 : kTipi[static_cast<size_t>(i) % kTipi.size()];
    const bool ordinaria = tipo == 8 || tipo == 12;
    // About 72 km/h from 10:30:00.
    const int64_t orario = 10 * 3600 + 30 * 60 + int64_t{k} * 1000 / 20;
    riga(t, "stazione,%8d,%3d,%5d,%3d,%2d,%2d,%3d,%1d,%1d,%3d,%1d,%1d,%5d,%4d,%2d,%2d, %s", k * 1000, tipo, 300,
         prima || ultima ? 1 : 0, 0, 0, ordinaria ? 1 : 0, ordinaria ? 1 : 0, 0, 4, 1, 1, prima ? 1 : 10,
         static_cast<int>(orario / 3600), static_cast<int>(orario / 60 % 60), static_cast<int>(orario % 60),
         nome_stazione(i).c_str());
  }
}

std::string testo_servizio(const disposizione& d) {
  std::string t;
  t.reserve(static_cast<size_t>(d.km) * 64 + 8192);
  riga(t, "[generale]");
  riga(t, "numero vetture,    3");
  riga(t, "percentuale massa frenata,    130");
  riga(t, "sabbia,    100");
  riga(t, "orologio,    10              29            40 ");
  riga(t, "[aderenze]");
  riga(t, "aderenza,   0,    100");
  riga(t, "[vel_limite]");
  riga(t, "velocita,%8d,%6d", 0, 90);
  for (int32_t k = kPassoVelocita, i = 0; k < d.km; k += kPassoVelocita, ++i) {
    const int v = kVelocita[static_cast<size_t>(i) % kVelocita.size()];
    riga(t, "velocita,%8d,%6d", k * 1000 + kScostamentoIndicatori, v);
  }
  riga(t, "[stazioni]");
  righe_stazioni(t, d);

  riga(t, "[rallentamenti]");
  int n = 0;
  per_ogni_rallentamento(d, [&](int32_t k) {
    const int f_ta = n % 2;
    riga(t, "rallentamento,%8d,%6d,%5d,%2d,%3d,%3d", k * 1000 + kScostamentoRallentamento,
         kVelocitaRallentamento[static_cast<size_t>(n++) % kVelocitaRallentamento.size()], kLunghezzaRallentamento, 0,
         f_ta, 0);
  });

  riga(t, "[segnali]");
  for (int32_t k = 0; k * 1000 + kScostamentoSegnale <= d.metri - 500; ++k) {
    const int s1 = k % 5 == 2 ? 3 : 4;
    const int tempo = k % 100 == 50 ? 255 : 0;
    riga(t, "segnale,%8d,%4d,%2d,%2d,%3d,%2d,%5d,%3d,%1d,%1d, %d", k * 1000 + kScostamentoSegnale, 2, s1, 0, 0, 0, 0, 0,
         0, 0, tempo);
  }
  riga(t, "[codici]");
  riga(t, "[fine]");
  return t;
}

}  // namespace

testi_linea genera_linea_lunga(int32_t metri) {
  const disposizione d = disponi(metri);
  return {testo_linea(d), testo_servizio(d)};
}

Status scrivi_testi(Form1& form, const testi_linea& testi) {
  auto scrivi = [&](const std::string& nome, const std::string& testo) {
    return sostituisci_file(form.fs, form.percorso(nome), [&](Scrittore& w) { w.bytes(testo); });
  };
  Status s = scrivi(nome_descrizione_linea(form.nome_linea), testi.linea);
  if (!s.is_ok()) return s;
  return scrivi(nome_descrizione_servizio(form.nome_linea, form.numero_treno), testi.servizio);
}

std::unique_ptr<Form1> nuovo_form(FileSystem& fs, const std::string& cartella) {
  auto form = std::make_unique<Form1>(fs, cartella, '/');
  form->nome_linea = kNomeLinea;
  form->numero_treno = kNumeroTreno;
  return form;
}

Status compila(Form1& form, const testi_linea& testi) {
  Status s = scrivi_testi(form, testi);
  if (!s.is_ok()) return s;
  return form.memorizza_percorso(1);
}

}  // namespace binario::banco
