#pragma once
// The built-in scenario as data: the line Valmera-Lusa and its train 019.
// The description texts are formatted from these tables, and the driver
// documents may read the same values (stations, times, slowdowns) so that
// nothing is typed twice. Names come from sources/nomi.h.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "sources/nomi.h"

namespace binario::scenario {

// ---- Line ------------------------------------------------------------------

inline constexpr int32_t kLunghezzaPercorso = 29000;  // metres

// The three kilometre references ("uno", "due", "tre"): the line carries none.
struct progressiva {
  int32_t primo, secondo, terzo;
};
inline constexpr std::array<progressiva, 3> kProgressive = {{{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}};

// The simulator's scenery choices ("uno", "due", "tre").
inline constexpr std::array<int32_t, 3> kSfondi = {1, 0, 0};

struct curva {
  char lato;          // 'd' turns right, 's' left
  int curvatura;      // the digit of the key, 1 (gentle) to 6 (sharp)
  int32_t inizio;     // metres
  int32_t lunghezza;  // metres
};

inline constexpr std::array<curva, 35> kCurve = {{
    {'d', 5, 500, 250},   {'d', 5, 850, 100},   {'s', 5, 1900, 150},  {'d', 5, 2600, 200},
    {'s', 5, 2800, 150},  {'d', 5, 3150, 350},  {'s', 5, 3650, 150},  {'d', 5, 4000, 200},
    {'s', 5, 4200, 150},  {'d', 3, 6000, 100},  {'d', 4, 6800, 150},  {'s', 2, 8450, 300},
    {'d', 3, 8750, 200},  {'s', 5, 9200, 200},  {'s', 4, 9600, 150},  {'d', 4, 10350, 500},
    {'d', 4, 11100, 150}, {'d', 4, 12950, 150}, {'s', 4, 13300, 500}, {'d', 3, 14200, 400},
    {'d', 4, 14850, 100}, {'s', 4, 15150, 250}, {'d', 5, 16000, 200}, {'s', 3, 18150, 350},
    {'s', 3, 20350, 400}, {'d', 3, 21600, 50},  {'s', 3, 21650, 50},  {'s', 4, 22600, 350},
    {'s', 5, 24000, 350}, {'s', 5, 24750, 50},  {'d', 5, 25200, 50},  {'s', 5, 25500, 50},
    {'s', 5, 26000, 100}, {'d', 5, 26600, 150}, {'s', 3, 27400, 200},
}};

struct pendenza {
  int32_t posizione;  // metres; the gradient holds from here on
  int32_t valore;     // per mille, negative downhill
};

inline constexpr std::array<pendenza, 53> kPendenze = {{
    {0, 0},        {250, -8},     {350, 0},      {400, 10},     {650, 0},      {1700, 8},
    {2000, 0},     {2500, 2},     {3450, 0},     {3650, -8},    {4250, -4},    {4350, 0},
    {6250, 1},     {6350, 0},     {7200, -4},    {7400, 0},     {7900, 3},     {8150, 0},
    {8350, -5},    {8650, 0},     {9300, 5},     {9450, -2},    {9800, 0},     {10800, -2},
    {10900, 2},    {11000, 0},    {12600, 2},    {12800, 6},    {14300, 12},   {14500, 18},
    {14750, 12},   {15000, 11},   {15100, 6},    {15200, 0},    {15400, -10},  {15450, -16},
    {15550, -1},   {15850, -8},   {15900, -12},  {15950, -16},  {17800, -14},  {17900, -12},
    {18150, 0},    {18750, 2},    {18900, 0},    {19000, -11},  {19600, 0},    {21000, 10},
    {21200, 0},    {22900, -2},   {23300, 0},    {23800, 2},    {24150, 0},
}};

struct montagna {
  int32_t inizio;  // metres
  int32_t fine;    // metres
  int32_t tipo;    // above 10: kind tipo - 10, with markers
};

inline constexpr std::array<montagna, 3> kMontagne = {{{350, 500, 12}, {1600, 1850, 12}, {3000, 3050, 12}}};

// A pair of maximum-speed boards. A speed left out is written as an empty
// field, which the reader takes as 0.
struct indicatori_v_max {
  int32_t posizione;
  std::array<std::optional<int32_t>, 3> velocita_sinistra;
  int32_t strisce_sinistra;
  std::array<std::optional<int32_t>, 3> velocita_destra;
  int32_t strisce_destra;
};

inline constexpr std::array<indicatori_v_max, 2> kIndicatoriVMax = {{
    {600, {90, 90, 90}, 0, {std::nullopt, std::nullopt, std::nullopt}, 0},
    {24150, {80, 80, 80}, 0, {std::nullopt, std::nullopt, std::nullopt}, 0},
}};

// One row of a sign board: its text with the blanks before and after it. The
// simulator shows the rows as they stand, so the blanks place the text.
struct riga_cartello {
  std::string_view testo;
  int prima;
  int dopo;
};

// A sign board. Its third row is always the position in kilometres; only
// the blanks around it are given here.
struct cartello {
  int32_t posizione;  // metres
  riga_cartello prima;
  riga_cartello seconda;
  int km_prima;
  int km_dopo;
};

inline constexpr std::array<cartello, 7> kCartelli = {{
    {8800, {"EX STAZIONE", 5, 0}, {nomi::kExStazione, 7, 2}, 8, 3},
    {18150, {"VIADOTTO DI", 5, 0}, {nomi::kViadottoDi, 7, 2}, 7, 3},
    {24050, {"VIADOTTO", 4, 4}, {nomi::kViadotto, 1, 0}, 6, 4},
    {24700, {"PRIMO", 5, 3}, {"CAVALCAVIA", 3, 0}, 5, 2},
    {25100, {"SECONDO", 5, 1}, {"CAVALCAVIA", 3, 0}, 5, 2},
    {25500, {"TERZO", 5, 3}, {"CAVALCAVIA", 3, 0}, 5, 2},
    {26174, {"PONTE", 0, 11}, {nomi::kCanale, 0, 0}, 0, 10},
}};

// ---- Service ---------------------------------------------------------------

inline constexpr int32_t kNumeroVetture = 3;
inline constexpr int32_t kMassaFrenata = 130;  // percent
inline constexpr int32_t kSabbia = 100;

struct ora {
  int32_t ore;
  int32_t minuti;
  int32_t secondi;
};

// The simulator's clock at the start, twenty seconds before the departure.
inline constexpr ora kOrologio = {10, 29, 40};

struct profilo {
  int32_t posizione;  // metres; the value holds from here on
  int32_t valore;
};

inline constexpr std::array<profilo, 1> kAderenze = {{{0, 100}}};
inline constexpr std::array<profilo, 2> kVelocitaLimite = {{{0, 90}, {24550, 80}}};  // km/h

struct stazione {
  int32_t posizione;  // metres
  int32_t tipo;
  int32_t zona;       // length of the station zone, metres
  // The fourth to thirteenth values of the station row, stored unchanged.
  std::array<int32_t, 10> colonne;
  ora orario;
  std::string_view nome;
};

inline constexpr std::array<stazione, 13> kStazioni = {{
    {0, 8, 300, {1, 0, 0, 4, 1, 0, 2, 1, 1, 1}, {10, 30, 0}, nomi::kStazioni[0].nome},
    {2300, 12, 300, {0, 0, 0, 1, 1, 0, 4, 1, 1, 10}, {10, 33, 0}, nomi::kStazioni[1].nome},
    {4600, 12, 300, {0, 0, 0, 1, 1, 0, 4, 1, 1, 15}, {10, 36, 0}, nomi::kStazioni[2].nome},
    {7750, 28, 300, {0, 0, 0, 0, 0, 0, 0, 0, 0, 10}, {10, 40, 0}, nomi::kStazioni[3].nome},
    {11750, 22, 300, {0, 0, 0, 0, 0, 0, 4, 1, 1, 10}, {10, 44, 0}, nomi::kStazioni[4].nome},
    {14050, 22, 300, {0, 0, 0, 0, 0, 0, 3, 1, 1, 10}, {10, 49, 0}, nomi::kStazioni[5].nome},
    {15650, 22, 300, {0, 0, 0, 0, 0, 0, 4, 1, 1, 15}, {10, 54, 0}, nomi::kStazioni[6].nome},
    {21350, 24, 300, {0, 0, 0, 0, 0, 0, 4, 1, 1, 10}, {10, 59, 0}, nomi::kStazioni[7].nome},
    {23400, 24, 300, {0, 0, 0, 0, 0, 0, 4, 1, 1, 10}, {11, 1, 0}, nomi::kStazioni[8].nome},
    {24550, 12, 300, {0, 0, 0, 1, 1, 0, 4, 1, 1, 15}, {11, 3, 0}, nomi::kStazioni[9].nome},
    {25750, 24, 300, {0, 0, 1, 0, 0, 0, 4, 1, 1, 10}, {11, 6, 0}, nomi::kStazioni[10].nome},
    {27100, 24, 300, {0, 0, 1, 0, 0, 0, 3, 1, 1, 10}, {11, 8, 0}, nomi::kStazioni[11].nome},
    {28350, 12, 300, {1, 0, 0, 1, 1, 0, 2, 1, 1, 0}, {11, 11, 0}, nomi::kStazioni[12].nome},
}};

struct rallentamento {
  int32_t inizio;     // metres
  int32_t velocita;   // km/h
  int32_t lunghezza;  // metres
  int32_t f_tt;
  int32_t f_ta;
  int32_t d_v;
};

inline constexpr std::array<rallentamento, 2> kRallentamenti = {{
    {14250, 30, 1550, 0, 0, 0},
    {24750, 40, 300, 0, 0, 0},
}};

struct segnale {
  int32_t posizione;  // metres
  int32_t sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo;
};

inline constexpr std::array<segnale, 20> kSegnali = {{
    {550, 2, 4, 0, 0, 0, 0, 0, 0, 0, 0},   {1600, 2, 3, 0, 0, 0, 0, 0, 0, 0, 0},
    {2900, 2, 4, 0, 0, 0, 0, 0, 0, 0, 0},  {4000, 2, 3, 0, 0, 0, 0, 0, 0, 0, 0},
    {5600, 2, 4, 0, 0, 0, 0, 0, 0, 0, 0},  {6700, 2, 4, 0, 0, 0, 0, 0, 0, 0, 0},
    {7950, 2, 4, 0, 0, 0, 0, 0, 0, 0, 0},  {9300, 2, 4, 0, 0, 0, 0, 0, 0, 0, 0},
    {10500, 2, 4, 0, 0, 0, 0, 0, 0, 0, 0}, {13000, 2, 4, 0, 0, 0, 0, 0, 0, 0, 0},
    {15100, 2, 4, 0, 0, 0, 0, 0, 0, 0, 255}, {16600, 2, 4, 0, 0, 0, 0, 0, 0, 0, 0},
    {17700, 2, 4, 0, 0, 0, 0, 0, 0, 0, 0}, {19000, 2, 4, 0, 0, 0, 0, 0, 0, 0, 0},
    {20300, 2, 3, 0, 0, 0, 0, 0, 0, 0, 0}, {22500, 2, 4, 0, 0, 0, 0, 0, 0, 0, 0},
    {24000, 2, 3, 0, 0, 0, 0, 0, 0, 0, 0}, {25300, 2, 3, 0, 0, 0, 0, 0, 0, 0, 0},
    {26500, 2, 4, 0, 0, 0, 0, 0, 0, 0, 0}, {27800, 2, 2, 3, 0, 0, 0, 0, 0, 0, 0},
}};

// Every table lists its entries along the line; an entry left out at the end
// of a table would otherwise pass unnoticed as a zero row.
template <typename T, std::size_t N, typename Posizione>
constexpr bool in_ordine(const std::array<T, N>& righe, Posizione posizione) {
  for (std::size_t i = 1; i < N; ++i)
    if (posizione(righe[i]) <= posizione(righe[i - 1])) return false;
  return true;
}
static_assert(in_ordine(kCurve, [](const curva& c) { return c.inizio; }));
static_assert(in_ordine(kPendenze, [](const pendenza& p) { return p.posizione; }));
static_assert(in_ordine(kMontagne, [](const montagna& m) { return m.inizio; }));
static_assert(in_ordine(kIndicatoriVMax, [](const indicatori_v_max& v) { return v.posizione; }));
static_assert(in_ordine(kCartelli, [](const cartello& c) { return c.posizione; }));
static_assert(in_ordine(kVelocitaLimite, [](const profilo& p) { return p.posizione; }));
static_assert(in_ordine(kStazioni, [](const stazione& s) { return s.posizione; }));
static_assert(in_ordine(kRallentamenti, [](const rallentamento& r) { return r.inizio; }));
static_assert(in_ordine(kSegnali, [](const segnale& s) { return s.posizione; }));

}  // namespace binario::scenario
