#include "tools/vista_disegno.h"

#include <cmath>
#include <utility>

namespace binario {

namespace {

// Squared distance, so that the inner loop needs no square root.
double distanza2(double px, double py, double ax, double ay, double bx, double by) {
  const double dx = bx - ax;
  const double dy = by - ay;
  const double l2 = dx * dx + dy * dy;
  double t = l2 > 0 ? ((px - ax) * dx + (py - ay) * dy) / l2 : 0;
  t = t < 0 ? 0 : (t > 1 ? 1 : t);
  const double ex = px - (ax + t * dx);
  const double ey = py - (ay + t * dy);
  return ex * ex + ey * ey;
}

}  // namespace

double distanza_dal_segmento(double px, double py, double ax, double ay, double bx, double by) {
  return std::sqrt(distanza2(px, py, ax, ay, bx, by));
}

namespace {

// Douglas-Peucker over [primo, ultimo], both already kept.
void semplifica_pezzo(const std::vector<double>& x, const std::vector<double>& y, size_t primo, size_t ultimo,
                      double tolleranza2, std::vector<bool>& tenuto) {
  std::vector<std::pair<size_t, size_t>> da_fare{{primo, ultimo}};
  while (!da_fare.empty()) {
    const auto [a, b] = da_fare.back();
    da_fare.pop_back();
    double massima = -1;
    size_t peggiore = a;
    for (size_t i = a + 1; i < b; ++i) {
      const double d = distanza2(x[i], y[i], x[a], y[a], x[b], y[b]);
      if (d > massima) {
        massima = d;
        peggiore = i;
      }
    }
    if (massima <= tolleranza2) continue;
    tenuto[peggiore] = true;
    da_fare.emplace_back(a, peggiore);
    da_fare.emplace_back(peggiore, b);
  }
}

// A line winding over hundreds of kilometres would make the first segments
// span all of it; pieces of this many metres, their ends kept, bound the work
// of each split while every dropped point still keeps within the tolerance.
constexpr size_t kMetriPezzo = 2000;

}  // namespace

std::vector<int32_t> semplifica(const std::vector<double>& x, const std::vector<double>& y, double tolleranza) {
  const size_t n = x.size() < y.size() ? x.size() : y.size();
  std::vector<bool> tenuto(n, false);
  for (size_t a = 0; a < n; a += kMetriPezzo) {
    const size_t b = a + kMetriPezzo < n ? a + kMetriPezzo : n - 1;
    tenuto[a] = tenuto[b] = true;
    if (b > a) semplifica_pezzo(x, y, a, b, tolleranza * tolleranza, tenuto);
  }
  std::vector<int32_t> metri;
  for (size_t i = 0; i < n; ++i)
    if (tenuto[i]) metri.push_back(static_cast<int32_t>(i));
  return metri;
}

std::vector<tratto> tratti_da_celle(const std::vector<double>& per_cella, int32_t metri_per_cella) {
  std::vector<tratto> tratti;
  for (size_t i = 0; i < per_cella.size(); ++i) {
    const int32_t inizio = static_cast<int32_t>(i) * metri_per_cella;
    if (!tratti.empty() && tratti.back().valore == per_cella[i]) {
      tratti.back().fine = inizio + metri_per_cella;
      continue;
    }
    tratti.push_back({inizio, inizio + metri_per_cella, per_cella[i]});
  }
  return tratti;
}

std::vector<punto_quota> quote_da_pendenze(const std::vector<tratto>& pendenze) {
  std::vector<punto_quota> quote;
  if (pendenze.empty()) return quote;
  double quota = 0;
  quote.push_back({pendenze.front().inizio, 0});
  for (const tratto& t : pendenze) {
    quota += t.valore * (t.fine - t.inizio) / 1000.0;
    quote.push_back({t.fine, quota});
  }
  return quote;
}

std::vector<tratto> curve_da_tracciato(const std::vector<double>& x, const std::vector<double>& y) {
  std::vector<tratto> curve;
  const size_t n = x.size() < y.size() ? x.size() : y.size();
  for (size_t m = 2; m < n; ++m) {
    const double dx = x[m - 1] - x[m - 2];
    const double dy = y[m - 1] - y[m - 2];
    const double nx = x[m] - x[m - 1];
    const double ny = y[m] - y[m - 1];
    const double l2 = dx * dx + dy * dy;
    if (l2 == 0) continue;
    // The traced keys give curvatures of 0.0001 and more: rounding to a
    // millionth removes the noise of the doubles and keeps every key apart.
    const double k = std::round(-(dx * ny - dy * nx) / l2 * 1e6) / 1e6;
    // Step m runs from metre m - 1 to metre m.
    const int32_t metro = static_cast<int32_t>(m) - 1;
    if (k == 0) continue;
    if (!curve.empty() && curve.back().fine == metro && curve.back().valore == k) {
      curve.back().fine = metro + 1;
      continue;
    }
    curve.push_back({metro, metro + 1, k});
  }
  return curve;
}

}  // namespace binario
