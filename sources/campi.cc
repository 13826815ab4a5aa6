#include "sources/campi.h"

#include <charconv>
#include <climits>
#include <string>
#include <system_error>
#include <utility>

#include "base/status.h"
#include "base/arrotonda.h"

namespace binario {

namespace {

bool blank(char c) { return c == ' ' || c == '\t'; }

char minuscola(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// A number as the texts write it: an optional sign, digits, at most one
// decimal point. Exponents and hexadecimal forms are not part of the format.
bool forma_numerica(std::string_view t) {
  size_t i = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
  bool cifre = false, punto = false;
  for (; i < t.size(); ++i) {
    if (t[i] >= '0' && t[i] <= '9')
      cifre = true;
    else if (t[i] == '.' && !punto)
      punto = true;
    else
      return false;
  }
  return cifre;
}

}  // namespace

lettore_campi::lettore_campi(std::string testo) : testo_(std::move(testo)) {}

bool lettore_campi::a_fine_riga() const { return !fine() && (testo_[pos_] == '\r' || testo_[pos_] == '\n'); }

void lettore_campi::consuma_fine_riga() {
  if (testo_[pos_] == '\r' && pos_ + 1 < testo_.size() && testo_[pos_ + 1] == '\n') ++pos_;
  ++pos_;
  if (riga_ < INT_MAX) ++riga_;
}

void lettore_campi::salta_blank() {
  while (!fine() && blank(testo_[pos_])) ++pos_;
}

void lettore_campi::consuma_delimitatore() {
  if (fine()) return;
  if (testo_[pos_] == ',')
    ++pos_;
  else if (a_fine_riga())
    consuma_fine_riga();
}

void lettore_campi::inizio_campo(const char* tipo) {
  // Reading past the end is the platform's "input past end of file".
  if (fine()) throw guasto_imprevisto(std::string("lettura oltre la fine del file (") + tipo + ")");
  riga_campo_ = riga_;
}

std::string lettore_campi::leggi_testo() {
  inizio_campo("testo");
  salta_blank();
  std::string campo;
  if (!fine() && testo_[pos_] == '"') {
    ++pos_;
    while (!fine() && testo_[pos_] != '"') {
      if (a_fine_riga()) {
        const size_t da = pos_;
        consuma_fine_riga();
        campo.append(testo_, da, pos_ - da);
      } else {
        campo.push_back(testo_[pos_++]);
      }
    }
    if (!fine()) ++pos_;  // the closing quote
    // Whatever stands between the closing quote and the delimiter is dropped.
    while (!fine() && testo_[pos_] != ',' && !a_fine_riga()) ++pos_;
  } else {
    while (!fine() && testo_[pos_] != ',' && !a_fine_riga()) campo.push_back(testo_[pos_++]);
  }
  consuma_delimitatore();
  return campo;
}

int64_t lettore_campi::leggi_numero(int64_t minimo, int64_t massimo, const char* tipo) {
  inizio_campo(tipo);
  salta_blank();
  if (fine() || testo_[pos_] == ',' || a_fine_riga()) {
    consuma_delimitatore();
    return 0;
  }
  const size_t da = pos_;
  while (!fine() && testo_[pos_] != ',' && !blank(testo_[pos_]) && !a_fine_riga()) ++pos_;
  std::string_view t(testo_.data() + da, pos_ - da);
  salta_blank();
  consuma_delimitatore();

  if (!forma_numerica(t)) throw guasto_imprevisto("campo non numerico: " + std::string(t));
  if (t.front() == '+') t.remove_prefix(1);
  double v = 0;
  const auto [fine_numero, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
  if (ec != std::errc() || fine_numero != t.data() + t.size())
    throw guasto_imprevisto("numero illeggibile: " + std::string(t));
  const int64_t n = arrotonda_intero(v);
  if (n < minimo || n > massimo)
    throw guasto_imprevisto(std::string("valore fuori dall'intervallo di un ") + tipo + ": " + std::string(t));
  return n;
}

int32_t lettore_campi::leggi_long() { return static_cast<int32_t>(leggi_numero(INT32_MIN, INT32_MAX, "Long")); }

int16_t lettore_campi::leggi_integer() {
  return static_cast<int16_t>(leggi_numero(INT16_MIN, INT16_MAX, "Integer"));
}

uint8_t lettore_campi::leggi_byte() { return static_cast<uint8_t>(leggi_numero(0, UINT8_MAX, "Byte")); }

bool contiene(std::string_view campo, std::string_view chiave, confronto modo) {
  if (modo == confronto::esatto) return campo.find(chiave) != std::string_view::npos;
  if (chiave.size() > campo.size()) return false;
  for (size_t i = 0; i + chiave.size() <= campo.size(); ++i) {
    size_t k = 0;
    while (k < chiave.size() && minuscola(campo[i + k]) == minuscola(chiave[k])) ++k;
    if (k == chiave.size()) return true;
  }
  return false;
}

bool e_intestazione(std::string_view campo) {
  while (!campo.empty() && blank(campo.front())) campo.remove_prefix(1);
  while (!campo.empty() && blank(campo.back())) campo.remove_suffix(1);
  return campo.size() >= 2 && campo.front() == '[' && campo.back() == ']';
}

}  // namespace binario
