#pragma once
// The geometry behind the page: the plan thinned for drawing, the altitude
// from the gradient profile, and the runs in which the profiles and the
// curvature are handed to the page. Kept apart from the page so that each
// can be checked against plain numbers.

#include <cstdint>
#include <vector>

namespace binario {

// The plan is drawn with at most this distance, in metres, between the
// traced centre line and the drawn one: below what any zoom of the page
// shows next to a 2-pixel-wide track at one metre per pixel.
inline constexpr double kTolleranzaTracciato = 0.5;

// Metres (indexes into x and y) kept by Douglas-Peucker so that no dropped
// point lies farther than `tolleranza` from the segment between the kept
// points around it. The first and last point are always kept. Works without
// recursion, so a million-metre plan cannot overflow the stack.
std::vector<int32_t> semplifica(const std::vector<double>& x, const std::vector<double>& y, double tolleranza);

// Distance of (px, py) from the segment (ax, ay)-(bx, by).
double distanza_dal_segmento(double px, double py, double ax, double ay, double bx, double by);

// One run of equal values over [inizio, fine) metres.
struct tratto {
  int32_t inizio = 0;
  int32_t fine = 0;
  double valore = 0;
  bool operator==(const tratto&) const = default;
};

// Cells of 50 metres, values per cell, to runs of equal value.
std::vector<tratto> tratti_da_celle(const std::vector<double>& per_cella, int32_t metri_per_cella);

// Altitude in metres at the start of each run and at the end of the last,
// from a gradient in per mille held over each run; 0 at the first metre.
struct punto_quota {
  int32_t metro = 0;
  double quota = 0;
  bool operator==(const punto_quota&) const = default;
};
std::vector<punto_quota> quote_da_pendenze(const std::vector<tratto>& pendenze);

// The curvature (1/metres, right-hand positive) of each step of the plan,
// as the tracing made it: a curved step turns the previous step by k times
// its length. Runs of the same curvature; straight runs are left out.
std::vector<tratto> curve_da_tracciato(const std::vector<double>& x, const std::vector<double>& y);

}  // namespace binario
