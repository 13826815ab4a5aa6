// The three kilometre references, put in their fixed order.
#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

#include "app/form1.h"

namespace binario {
namespace {

// A reference is one (first, second, third) triple; it always moves whole.
struct terna {
  int32_t primo = 0;
  int32_t secondo = 0;
  int32_t terzo = 0;
};

constexpr size_t kTre = slot_voce::progressiva_tre;  // then due, uno, as read
constexpr int32_t kAumento = 100;

terna leggi(const voce& v) { return {v.inizio_zona, v.fine_zona, v.posizione}; }

void scrivi(voce& v, const terna& t) {
  v.inizio_zona = t.primo;
  v.fine_zona = t.secondo;
  v.posizione = t.terzo;
}

// Slots 81, 82, 83 in turn; all zero when the references cannot be ordered.
std::array<terna, 3> ordina(const terna& tre, const terna& due, const terna& uno) {
  // Three Longs can exceed a Long: the sum is taken in 64 bits.
  const int64_t somma = int64_t{tre.primo} + due.primo + uno.primo;
  if (somma != 0) {
    // Reading order uno, due, tre; the stable sort keeps it among equals.
    std::array<terna, 3> r{uno, due, tre};
    std::stable_sort(r.begin(), r.end(), [](const terna& x, const terna& y) { return x.primo > y.primo; });
    if (r[0].primo == r[1].primo) return {};
    return r;
  }
  // Each rule starts from the triples as read; the last that holds decides.
  std::array<terna, 3> r{};
  if (tre.secondo > 0) r = {tre, due, uno};
  if (due.secondo > 0) r = {due, tre, uno};
  if (uno.secondo > 0) r = {uno, due, tre};
  return r;
}

}  // namespace

void Form1::progressive_ordina() {
  const std::array<terna, 3> r = ordina(leggi(voci[kTre]), leggi(voci[kTre + 1]), leggi(voci[kTre + 2]));
  for (size_t i = 0; i < r.size(); ++i) scrivi(voci[kTre + i], r[i]);

  // A second value that cannot take the 100 is an overflow like any other
  // while reading: it is reported, never wrapped, and no slot gets a partial
  // increase.
  for (const terna& t : r)
    if (t.terzo == 1 && t.secondo > std::numeric_limits<int32_t>::max() - kAumento)
      throw guasto_imprevisto("progressiva chilometrica: secondo valore oltre un Long");
  for (size_t i = 0; i < r.size(); ++i) {
    voce& v = voci[kTre + i];
    if (v.posizione == 1) v.fine_zona += kAumento;
  }
}

}  // namespace binario
