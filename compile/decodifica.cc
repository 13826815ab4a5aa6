#include "compile/decodifica.h"

#include <cstdint>
#include <cstring>

namespace binario {

namespace {

// Little-endian fields read in order; running short throws with the offset
// of the field that does not fit.
class Lettore {
 public:
  explicit Lettore(std::string_view dati) : dati_(dati) {}

  size_t posizione() const { return pos_; }
  size_t restanti() const { return dati_.size() - pos_; }
  bool finito() const { return pos_ == dati_.size(); }

  uint64_t intero(size_t n, const std::string& cosa) {
    richiedi(n, cosa);
    uint64_t v = 0;
    for (size_t i = 0; i < n; ++i) v |= uint64_t{static_cast<unsigned char>(dati_[pos_ + i])} << (8 * i);
    pos_ += n;
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
    richiedi(n, cosa);
    std::string s(dati_.substr(pos_, n));
    pos_ += n;
    return s;
  }

  void richiedi(size_t n, const std::string& cosa) const {
    if (restanti() < n)
      throw errore_decodifica(pos_, cosa + " incompleto: servono " + std::to_string(n) + " byte, ne restano " +
                                        std::to_string(restanti()));
  }

 private:
  std::string_view dati_;
  size_t pos_ = 0;
};

voce leggi_voce(Lettore& r, int indice) {
  const std::string p = "voce " + std::to_string(indice) + ": campo ";
  voce v;
  v.tipo = r.u8(p + "tipo");
  v.inizio_zona = r.i32(p + "inizio_zona");
  v.fine_zona = r.i32(p + "fine_zona");
  v.posizione = r.i32(p + "posizione");
  v.colonna_4 = r.u8(p + "colonna_4");
  const uint16_t n = r.u16(p + "lunghezza di nome");
  v.nome = r.testo(n, p + "nome");
  v.colonna_7 = r.i16(p + "colonna_7");
  v.colonna_8 = r.i16(p + "colonna_8");
  v.colonna_10 = r.i16(p + "colonna_10");
  v.colonna_11 = r.i16(p + "colonna_11");
  v.colonna_12 = r.i16(p + "colonna_12");
  v.colonna_9 = r.u8(p + "colonna_9");
  v.colonna_13 = r.u8(p + "colonna_13");
  v.colonna_6 = r.u8(p + "colonna_6");
  v.colonna_5 = r.u8(p + "colonna_5");
  v.orario = r.i32(p + "orario");
  return v;
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

std::vector<voce> decodifica_voci(std::string_view dati) {
  Lettore r(dati);
  std::vector<voce> voci;
  while (!r.finito() && voci.size() < kNumeroVoci) voci.push_back(leggi_voce(r, static_cast<int>(voci.size())));
  if (voci.size() < kNumeroVoci)
    throw errore_decodifica(r.posizione(), "il file finisce dopo " + std::to_string(voci.size()) +
                                               " voci; un file delle voci ne ha " + std::to_string(kNumeroVoci));
  if (!r.finito())
    throw errore_decodifica(r.posizione(), std::to_string(r.restanti()) + " byte in più dopo la voce " +
                                               std::to_string(kNumeroVoci - 1));
  return voci;
}

std::vector<cella> decodifica_griglia(std::string_view dati) {
  if (dati.empty()) throw errore_decodifica(0, "il file della griglia è vuoto");
  Lettore r(dati);
  std::vector<cella> celle;
  while (!r.finito()) {
    const std::string p = "cella " + std::to_string(celle.size()) + ": record";
    // A short tail is one incomplete record, reported where that record starts.
    r.richiedi(15, p);
    cella c;
    c.tipo = r.u8(p);
    c.valore_a = r.i16(p);
    c.valore_b = r.i16(p);
    c.valore_c = r.i16(p);
    c.valore_d = r.i16(p);
    c.tempo_segnale = r.u8(p);
    c.codice_avviso = r.u8(p);
    c.tipo_montagna = r.u8(p);
    c.velocita_limite = r.u8(p);
    c.pendenza = r.u8(p);
    c.aderenza = r.u8(p);
    celle.push_back(c);
  }
  return celle;
}

tracciato_decodificato decodifica_tracciato(std::string_view dati) {
  Lettore r(dati);
  std::vector<elemento_tracciato> elementi;
  while (!r.finito()) elementi.push_back(leggi_elemento(r, elementi.size()));
  if (elementi.empty()) throw errore_decodifica(0, "il file del tracciato è vuoto");
  if (elementi.size() % 2 != 0)
    throw errore_decodifica(r.posizione(), "numero di elementi dispari (" + std::to_string(elementi.size()) +
                                               "): le colonne x e y devono avere gli stessi metri");
  const auto meta = static_cast<std::ptrdiff_t>(elementi.size() / 2);
  tracciato_decodificato t;
  t.x.assign(elementi.begin(), elementi.begin() + meta);
  t.y.assign(elementi.begin() + meta, elementi.end());
  return t;
}

}  // namespace binario
