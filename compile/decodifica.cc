#include "compile/decodifica.h"

#include <cstdint>
#include <cstring>
#include <istream>
#include <sstream>

namespace binario {

namespace {

// Little-endian fields read in order from a stream of known size; running
// short throws with the offset of the field that does not fit.
class Lettore {
 public:
  Lettore(std::istream& in, size_t byte, size_t inizio = 0) : in_(in), fine_(byte), pos_(inizio) {
    in_.clear();
    in_.seekg(static_cast<std::streamoff>(inizio));
  }

  size_t posizione() const { return pos_; }
  size_t restanti() const { return fine_ - pos_; }
  bool finito() const { return pos_ == fine_; }

  uint64_t intero(size_t n, const std::string& cosa) {
    unsigned char b[8];
    prendi(b, n, cosa);
    uint64_t v = 0;
    for (size_t i = 0; i < n; ++i) v |= uint64_t{b[i]} << (8 * i);
    return v;
  }
  uint8_t u8(const std::string& cosa) { return static_cast<uint8_t>(intero(1, cosa)); }
  uint16_t u16(const std::string& cosa) { return static_cast<uint16_t>(intero(2, cosa)); }
  int16_t i16(const std::string& cosa) { return static_cast<int16_t>(u16(cosa)); }
  int32_t i32(const std::string& cosa) { return static_cast<int32_t>(static_cast<uint32_t>(intero(4, cosa))); }
  double f64(const std::string& cosa) {
    const uint64_t u = intero(8, cosa);
    double v;
    std::memcpy(&v, &u, sizeof v);
    return v;
  }
  std::string testo(size_t n, const std::string& cosa) {
    std::string s(n, '\0');
    prendi(s.data(), n, cosa);
    return s;
  }

  void richiedi(size_t n, const std::string& cosa) const {
    if (restanti() < n)
      throw errore_decodifica(pos_, cosa + " incompleto: servono " + std::to_string(n) + " byte, ne restano " +
                                        std::to_string(restanti()));
  }

 private:
  void prendi(void* p, size_t n, const std::string& cosa) {
    richiedi(n, cosa);
    if (!in_.read(static_cast<char*>(p), static_cast<std::streamsize>(n)))
      throw errore_decodifica(pos_, cosa + ": lettura non riuscita");
    pos_ += n;
  }

  std::istream& in_;
  size_t fine_;
  size_t pos_;
};

// Reads each field of a record, in the order of the file; `messaggio` names
// the field in an error.
template <typename M>
struct leggi_campo {
  Lettore& r;
  M messaggio;
  void operator()(const char* nome, uint8_t& v) { v = r.u8(messaggio(nome)); }
  void operator()(const char* nome, int16_t& v) { v = r.i16(messaggio(nome)); }
  void operator()(const char* nome, int32_t& v) { v = r.i32(messaggio(nome)); }
  void operator()(const char* nome, std::string& s) {
    const uint16_t n = r.u16(messaggio(std::string("lunghezza di ") + nome));
    s = r.testo(n, messaggio(nome));
  }
};
template <typename M>
leggi_campo(Lettore&, M) -> leggi_campo<M>;

voce leggi_voce(Lettore& r, int indice) {
  const std::string p = "voce " + std::to_string(indice) + ": campo ";
  voce v;
  campi_voce(v, leggi_campo{r, [&](const std::string& nome) { return p + nome; }});
  return v;
}

cella leggi_cella(Lettore& r, int indice) {
  const std::string p = "cella " + std::to_string(indice) + ": record";
  // A short tail is one incomplete record, reported where that record starts.
  r.richiedi(kByteCella, p);
  cella c;
  campi_cella(c, leggi_campo{r, [&](const std::string&) { return p; }});
  return c;
}

elemento_tracciato leggi_elemento(Lettore& r, size_t indice) {
  using tipo = tabella_tracciato::tipo_elemento;
  const std::string p = "elemento " + std::to_string(indice) + ": ";
  const size_t inizio = r.posizione();
  const uint16_t tag = r.u16(p + "tipo");
  switch (tag) {
    case static_cast<uint16_t>(tipo::vuoto):
      return {tipo::vuoto, 0};
    case static_cast<uint16_t>(tipo::intero):
      return {tipo::intero, static_cast<double>(r.i16(p + "valore intero"))};
    case static_cast<uint16_t>(tipo::reale):
      return {tipo::reale, r.f64(p + "valore reale")};
    default:
      throw errore_decodifica(inizio, p + "tipo " + std::to_string(tag) + " sconosciuto (validi 0, 2 e 5)");
  }
}

bool finisce_con(std::string_view s, std::string_view fine) {
  return s.size() >= fine.size() && s.substr(s.size() - fine.size()) == fine;
}

}  // namespace

std::optional<tipo_file> tipo_da_nome(std::string_view nome) {
  if (finisce_con(nome, "_linea.dat")) return tipo_file::tracciato;
  if (finisce_con(nome, ".sim")) return tipo_file::voci;
  if (finisce_con(nome, ".dat")) return tipo_file::griglia;
  return std::nullopt;
}

void leggi_voci(std::istream& in, size_t byte, const std::function<void(int, const voce&)>& su_voce) {
  Lettore r(in, byte);
  int letti = 0;
  for (; !r.finito() && letti < kNumeroVoci; ++letti) su_voce(letti, leggi_voce(r, letti));
  if (letti < kNumeroVoci)
    throw errore_decodifica(r.posizione(), "il file finisce dopo " + std::to_string(letti) +
                                               " voci; un file delle voci ne ha " + std::to_string(kNumeroVoci));
  if (!r.finito())
    throw errore_decodifica(r.posizione(), std::to_string(r.restanti()) + " byte in più dopo la voce " +
                                               std::to_string(kNumeroVoci - 1));
}

void leggi_griglia(std::istream& in, size_t byte, const std::function<void(int, const cella&)>& su_cella) {
  if (byte == 0) throw errore_decodifica(0, "il file della griglia è vuoto");
  Lettore r(in, byte);
  for (int i = 0; !r.finito(); ++i) su_cella(i, leggi_cella(r, i));
}

void leggi_tracciato(std::istream& x, std::istream& y, size_t byte,
                     const std::function<void(int, const elemento_tracciato&, const elemento_tracciato&)>& su_metro) {
  // A first pass checks every element and counts them; a second finds where
  // column y begins: the elements have three sizes, so no arithmetic gives it.
  size_t elementi = 0;
  {
    Lettore r(x, byte);
    while (!r.finito()) leggi_elemento(r, elementi++);
    if (elementi == 0) throw errore_decodifica(0, "il file del tracciato è vuoto");
    if (elementi % 2 != 0)
      throw errore_decodifica(r.posizione(), "numero di elementi dispari (" + std::to_string(elementi) +
                                                 "): le colonne x e y devono avere gli stessi metri");
  }
  size_t inizio_y = 0;
  {
    Lettore r(y, byte);
    for (size_t i = 0; i < elementi / 2; ++i) leggi_elemento(r, i);
    inizio_y = r.posizione();
  }
  Lettore rx(x, byte);
  Lettore ry(y, byte, inizio_y);
  const size_t metri = elementi / 2;
  for (size_t m = 0; m < metri; ++m) {
    const elemento_tracciato ex = leggi_elemento(rx, m);
    const elemento_tracciato ey = leggi_elemento(ry, metri + m);
    su_metro(static_cast<int>(m), ex, ey);
  }
}

std::vector<voce> decodifica_voci(std::string_view dati) {
  std::istringstream in{std::string(dati)};
  std::vector<voce> voci;
  leggi_voci(in, dati.size(), [&](int, const voce& v) { voci.push_back(v); });
  return voci;
}

std::vector<cella> decodifica_griglia(std::string_view dati) {
  std::istringstream in{std::string(dati)};
  std::vector<cella> celle;
  leggi_griglia(in, dati.size(), [&](int, const cella& c) { celle.push_back(c); });
  return celle;
}

tracciato_decodificato decodifica_tracciato(std::string_view dati) {
  std::istringstream x{std::string(dati)}, y{std::string(dati)};
  tracciato_decodificato t;
  leggi_tracciato(x, y, dati.size(), [&](int, const elemento_tracciato& ex, const elemento_tracciato& ey) {
    t.x.push_back(ex);
    t.y.push_back(ey);
  });
  return t;
}

}  // namespace binario
