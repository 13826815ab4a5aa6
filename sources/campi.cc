#include "sources/campi.h"

#include <charconv>
#include <algorithm>
#include <climits>
#include <string>
#include <system_error>
#include <utility>

#include "base/status.h"
#include "base/arrotonda.h"
#include "base/reale.h"

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

lettore_campi::lettore_campi(std::string testo) : lettore_campi(std::make_shared<const std::string>(std::move(testo))) {}

lettore_campi::lettore_campi(std::shared_ptr<const std::string> testo) : proprio_(std::move(testo)), testo_(*proprio_) {}

bool lettore_campi::a_fine_riga() const { return !fine() && (testo_[pos_] == '\r' || testo_[pos_] == '\n'); }

void lettore_campi::consuma_fine_riga() {
  if (testo_[pos_] == '\r' && pos_ + 1 < testo_.size() && testo_[pos_ + 1] == '\n') ++pos_;
  ++pos_;
  inizio_riga_ = pos_;
  if (riga_ < INT_MAX) ++riga_;
}

void lettore_campi::apri_campo() {
  posizione_campo p;
  p.riga = riga_;
  p.colonna = static_cast<int>(std::min<size_t>(pos_ - inizio_riga_, INT_MAX - 1)) + 1;
  p.fine_colonna = p.colonna;
  // A long run of keys would make this grow without bound; a diagnostic
  // needs only the fields of one key line.
  if (letti_.size() >= 64) letti_.erase(letti_.begin() + 1, letti_.begin() + 32);
  letti_.push_back(std::move(p));
}

// The field ends at `pos_`, within its first line or past it.
void lettore_campi::chiudi_campo(size_t da) {
  posizione_campo& p = letti_.back();
  size_t a = da;
  while (a < pos_ && testo_[a] != '\r' && testo_[a] != '\n') ++a;
  while (a > da && blank(testo_[a - 1])) --a;
  p.testo.assign(testo_, da, std::min<size_t>(a - da, 200));
  p.fine_colonna = p.colonna + static_cast<int>(std::min<size_t>(a - da, INT_MAX / 2));
}

const lettore_campi::posizione_campo& lettore_campi::campo(size_t i) const {
  static const posizione_campo vuoto;
  if (letti_.empty()) return vuoto;
  return i < letti_.size() ? letti_[i] : letti_.back();
}

lettore_campi::posizione_campo lettore_campi::prossimo() const {
  posizione_campo p;
  p.riga = riga_;
  p.colonna = static_cast<int>(std::min<size_t>(pos_ - inizio_riga_, INT_MAX - 1)) + 1;
  p.fine_colonna = p.colonna;
  return p;
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
  if (fine()) guasta("valori-mancanti", std::string("il file finisce prima di questo valore (") + tipo + ")");
  riga_campo_ = riga_;
}

std::string lettore_campi::leggi_testo() {
  inizio_campo("testo");
  salta_blank();
  apri_campo();
  const size_t inizio = pos_;
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
  chiudi_campo(inizio);
  consuma_delimitatore();
  return campo;
}

namespace {

// Most numbers of a text are whole: up to 15 digits, read as a decimal and
// rounded they give the same integer, exactly, without the decimal reading.
bool intero_breve(std::string_view t, int64_t& n) {
  const bool meno = !t.empty() && t.front() == '-';
  if (meno) t.remove_prefix(1);
  if (t.empty() || t.size() > 15) return false;
  int64_t v = 0;
  for (const char x : t) {
    if (x < '0' || x > '9') return false;
    v = v * 10 + (x - '0');
  }
  n = meno ? -v : v;
  return true;
}

}  // namespace

int64_t lettore_campi::leggi_numero(int64_t minimo, int64_t massimo, const char* tipo) {
  inizio_campo(tipo);
  salta_blank();
  apri_campo();
  if (fine() || testo_[pos_] == ',' || a_fine_riga()) {
    consuma_delimitatore();
    return 0;
  }
  const size_t da = pos_;
  while (!fine() && testo_[pos_] != ',' && !blank(testo_[pos_]) && !a_fine_riga()) ++pos_;
  std::string_view t(testo_.data() + da, pos_ - da);
  chiudi_campo(da);
  salta_blank();
  consuma_delimitatore();

  if (!forma_numerica(t)) guasta_non_numerico(t);
  if (t.front() == '+') t.remove_prefix(1);
  int64_t n = 0;
  if (!intero_breve(t, n)) {
    double v = 0;
    const auto [fine_numero, ec] = leggi_reale(t.data(), t.data() + t.size(), v);
    if (ec != std::errc() || fine_numero != t.data() + t.size())
      guasta("non-numerico", "\"" + std::string(t) + "\" non si legge come numero");
    n = arrotonda_intero(v);
    if (static_cast<double>(n) != v && arrotondati_.size() < 16) arrotondati_.push_back(letti_.back());
  }
  if (n < minimo || n > massimo)
    guasta("fuori-intervallo", "\"" + std::string(t) + "\" non sta nella sua colonna, che va da " +
                                   std::to_string(minimo) + " a " + std::to_string(massimo));
  return n;
}

// A value read across the end of its key line means the line was short:
// the author must look at that line, not at the next one's key.
void lettore_campi::guasta(const char* id, const std::string& motivo) const {
  if (letti_.empty()) throw errore_campo(id, motivo, prossimo(), 0, "");
  const posizione_campo& chiave = letti_.front();
  const int indice = static_cast<int>(letti_.size()) - 1;
  const bool altrove = std::string_view(id) == "valori-mancanti" || letti_.back().riga != chiave.riga;
  if (indice > 0 && altrove) {
    posizione_campo fine_riga = chiave;
    for (const posizione_campo& p : letti_)
      if (p.riga == chiave.riga) fine_riga = p;
    fine_riga.colonna = fine_riga.fine_colonna;
    fine_riga.testo.clear();
    throw errore_campo("valori-mancanti", "la riga ha meno valori del dovuto: il valore " + std::to_string(indice) +
                                              " non c'è",
                       fine_riga, indice, chiave.testo);
  }
  throw errore_campo(id, motivo, letti_.back(), indice, chiave.testo);
}

void lettore_campi::guasta_non_numerico(std::string_view t) const {
  const std::string q = "\"" + std::string(t) + "\"";
  if (t.find(':') != std::string_view::npos)
    guasta("orario-con-due-punti", q + " è un orario con i due punti: ore, minuti e secondi vanno in tre valori "
                                       "separati da virgole");
  size_t cifre = 0;
  while (cifre < t.size() && ((t[cifre] >= '0' && t[cifre] <= '9') || t[cifre] == '.' || t[cifre] == '-' ||
                              t[cifre] == '+'))
    ++cifre;
  if (cifre > 0 && cifre < t.size())
    guasta("unita-dopo-numero", q + " ha qualcosa dopo il numero (un'unità?): scrivi solo \"" +
                                    std::string(t.substr(0, cifre)) + "\"");
  guasta("non-numerico", q + " non è un numero");
}

int32_t lettore_campi::leggi_long() { return static_cast<int32_t>(leggi_numero(INT32_MIN, INT32_MAX, "Long")); }

int16_t lettore_campi::leggi_integer() {
  return static_cast<int16_t>(leggi_numero(INT16_MIN, INT16_MAX, "Integer"));
}

uint8_t lettore_campi::leggi_byte() { return static_cast<uint8_t>(leggi_numero(0, UINT8_MAX, "Byte")); }

bool contiene(std::string_view campo, std::string_view chiave, confronto modo) {
  if (modo == confronto::esatto) return campo.find(chiave) != std::string_view::npos;
  if (chiave.size() > campo.size()) return false;
  if (chiave.empty()) return true;
  // Most places fail at the first letter, which has two forms at most.
  const char primo = minuscola(chiave[0]);
  const char maiuscolo = primo >= 'a' && primo <= 'z' ? static_cast<char>(primo - 'a' + 'A') : primo;
  for (size_t i = 0; i + chiave.size() <= campo.size(); ++i) {
    if (campo[i] != primo && campo[i] != maiuscolo) continue;
    size_t k = 1;
    while (k < chiave.size() && minuscola(campo[i + k]) == minuscola(chiave[k])) ++k;
    if (k == chiave.size()) return true;
  }
  return false;
}

std::string_view spoglia_blank(std::string_view campo) {
  while (!campo.empty() && blank(campo.front())) campo.remove_prefix(1);
  while (!campo.empty() && blank(campo.back())) campo.remove_suffix(1);
  return campo;
}

bool e_intestazione(std::string_view campo) {
  campo = spoglia_blank(campo);
  return campo.size() >= 2 && campo.front() == '[' && campo.back() == ']';
}

}  // namespace binario
