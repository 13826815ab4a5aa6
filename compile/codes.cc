// The format marks, the competition codes and the checks that guard their
// places.
#include <cstdint>
#include <string>

#include "app/form1.h"

namespace binario {
namespace {

constexpr size_t kVoceLinea = slot_voce::linea;
constexpr size_t kVoceTreno = slot_voce::treno;
constexpr size_t kCellaMarchio = 1;
constexpr int16_t kMarchioVoce = 610;
constexpr int16_t kMarchioCella = 5121;
constexpr int32_t kMarchioOccupato = 1250;
constexpr int32_t kCodiceOccupato = 1251;

constexpr char kRiempimento[] = "aabbccddeeffgghhiillmmnnoo";
constexpr size_t kCaratteriChiave = 25;

// Lower case in Windows-1252: ASCII letters, the accented capitals
// 0xC0-0xDE except the multiplication sign 0xD7, and the four capitals
// placed among 0x80-0x9F (Š, Œ, Ž, Ÿ).
unsigned char minuscola(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 0x20);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 0x20);
  switch (c) {
    case 0x8A:
      return 0x9A;
    case 0x8C:
      return 0x9C;
    case 0x8E:
      return 0x9E;
    case 0x9F:
      return 0xFF;
    default:
      return c;
  }
}

// Train number then line identifier, lower-cased, then the padding that
// makes sure 25 characters exist.
std::string chiave(const tabella_voci& voci) {
  std::string k = voci[kVoceTreno].nome + voci[kVoceLinea].nome;
  for (char& c : k) c = static_cast<char>(minuscola(static_cast<unsigned char>(c)));
  return k + kRiempimento;
}

// The cell that carries the grid's mark and code; a grid of a single cell
// has none.
cella* cella_marchio(Form1& f) {
  return f.griglia_celle.size() > kCellaMarchio ? &f.griglia_celle[kCellaMarchio] : nullptr;
}

}  // namespace

int32_t Form1::codice_gara_st() {
  riga_corrente = chiave(voci);
  int32_t somma = 0;
  for (size_t i = 1; i <= kCaratteriChiave; ++i)
    somma += static_cast<unsigned char>(riga_corrente[i - 1]) * static_cast<int32_t>(i);
  return somma;
}

int16_t Form1::codice_gara_og() {
  riga_corrente = chiave(voci);
  int32_t somma = 0;  // at most 25 * 255
  for (size_t i = 0; i < kCaratteriChiave; ++i) somma += static_cast<unsigned char>(riga_corrente[i]);
  return static_cast<int16_t>(somma);
}

// A grid too short to have cell 1 gets neither its mark nor its code, and
// its absent cell counts as free; the header slot is checked and stamped as
// usual.
int32_t Form1::controlli_finali() {
  voce& linea = voci[kVoceLinea];
  cella* c = cella_marchio(*this);
  if (linea.colonna_7 != 0 || (c != nullptr && c->valore_a != 0)) return kMarchioOccupato;
  linea.colonna_7 = kMarchioVoce;
  if (c != nullptr) c->valore_a = kMarchioCella;
  if (linea.orario != 0 || (c != nullptr && c->valore_b != 0)) return kCodiceOccupato;
  linea.orario = codice_gara_st();
  const int16_t og = codice_gara_og();
  if (c != nullptr) c->valore_b = og;
  return 0;
}

}  // namespace binario
