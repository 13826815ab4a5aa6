#pragma once
// The compiled scenario: track cells, header records and the plan of the
// track, as the simulator's files hold them.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>
#include <utility>
#include <initializer_list>
#include <vector>

namespace binario {

// One cell of the track grid, 50 metres of line.
struct cella {
  uint8_t tipo = 0;  // kind code, see below; 0 = empty
  int16_t valore_a = 0;
  int16_t valore_b = 0;
  int16_t valore_c = 0;
  int16_t valore_d = 0;
  uint8_t tempo_segnale = 0;
  uint8_t codice_avviso = 0;
  uint8_t tipo_montagna = 0;
  uint8_t velocita_limite = 0;  // km/h divided by 5
  uint8_t pendenza = 0;         // per mille plus 100
  uint8_t aderenza = 0;

  bool operator==(const cella&) const = default;
};

// Cell kind codes.
namespace tipo_cella {
inline constexpr uint8_t vuota = 0;
inline constexpr uint8_t segnale = 1;
inline constexpr uint8_t fine_rallentamento = 2;
inline constexpr uint8_t inizio_rallentamento = 3;
inline constexpr uint8_t avviso_rallentamento = 4;
inline constexpr uint8_t approccio_rallentamento = 5;
inline constexpr uint8_t indicatori_v_max = 6;
inline constexpr uint8_t fermata = 10;
inline constexpr uint8_t montagna = 11;
inline constexpr uint8_t abbattimento = 12;
inline constexpr uint8_t abbattimento_senza_codice = 13;
inline constexpr uint8_t cartello = 14;
}  // namespace tipo_cella

// The name of each kind code, as a person reads it in a dump; nullptr for a
// code no writer sets.
inline constexpr std::array<const char*, 15> kNomiTipoCella = {
    "vuota",                       // 0
    "segnale",                     // 1
    "fine_rallentamento",          // 2
    "inizio_rallentamento",        // 3
    "avviso_rallentamento",        // 4
    "approccio_rallentamento",     // 5
    "indicatori_v_max",            // 6
    nullptr, nullptr, nullptr,     // 7 to 9
    "fermata",                     // 10
    "montagna",                    // 11
    "cambio_codice",               // 12
    "cambio_codice_senza_valore",  // 13
    "cartello",                    // 14
};
inline const char* nome_tipo_cella(uint8_t tipo) {
  return tipo < kNomiTipoCella.size() ? kNomiTipoCella[tipo] : nullptr;
}

// A cell is free for a new feature when it is empty or holds only a
// `montagna` marker.
inline bool libera(const cella& c) { return c.tipo == tipo_cella::vuota || c.tipo == tipo_cella::montagna; }

// One header record: a station, a sign-board text or a header slot.
struct voce {
  uint8_t tipo = 0;
  int32_t inizio_zona = 0;
  int32_t fine_zona = 0;
  int32_t posizione = 0;
  uint8_t colonna_4 = 0;
  std::string nome;  // Windows-1252 bytes
  int16_t colonna_7 = 0;
  int16_t colonna_8 = 0;
  int16_t colonna_10 = 0;
  int16_t colonna_11 = 0;
  int16_t colonna_12 = 0;
  uint8_t colonna_9 = 0;
  uint8_t colonna_13 = 0;
  uint8_t colonna_6 = 0;
  uint8_t colonna_5 = 0;
  int32_t orario = 0;

  bool operator==(const voce&) const = default;
};

// The fields of each record in the order of the file. This is the one
// description of the records: the writer, the decoder, the dump and every
// size follow it, so a field is added here and nowhere else. `campo` is
// called with the field's name and a reference to it (const or not, as the
// record is); a std::string is written as its 16-bit length, then its bytes.
template <typename C, typename F>
constexpr void campi_cella(C& c, F&& campo) {
  campo("tipo", c.tipo);
  for (auto [nome, valore] : {std::pair{"valore_a", &c.valore_a}, std::pair{"valore_b", &c.valore_b},
                              std::pair{"valore_c", &c.valore_c}, std::pair{"valore_d", &c.valore_d}})
    campo(nome, *valore);
  for (auto [nome, byte] : {std::pair{"tempo_segnale", &c.tempo_segnale}, std::pair{"codice_avviso", &c.codice_avviso},
                            std::pair{"tipo_montagna", &c.tipo_montagna}, std::pair{"velocita_limite", &c.velocita_limite},
                            std::pair{"pendenza", &c.pendenza}, std::pair{"aderenza", &c.aderenza}})
    campo(nome, *byte);
}

template <typename V, typename F>
constexpr void campi_voce(V& v, F&& campo) {
  campo("tipo", v.tipo);
  for (auto [nome, zona] : {std::pair{"inizio_zona", &v.inizio_zona}, std::pair{"fine_zona", &v.fine_zona},
                            std::pair{"posizione", &v.posizione}})
    campo(nome, *zona);
  campo("colonna_4", v.colonna_4);
  campo("nome", v.nome);
  for (auto [nome, colonna] : {std::pair{"colonna_7", &v.colonna_7}, std::pair{"colonna_8", &v.colonna_8},
                               std::pair{"colonna_10", &v.colonna_10}, std::pair{"colonna_11", &v.colonna_11},
                               std::pair{"colonna_12", &v.colonna_12}})
    campo(nome, *colonna);
  for (auto [nome, byte] : {std::pair{"colonna_9", &v.colonna_9}, std::pair{"colonna_13", &v.colonna_13},
                            std::pair{"colonna_6", &v.colonna_6}, std::pair{"colonna_5", &v.colonna_5}})
    campo(nome, *byte);
  campo("orario", v.orario);
}

// Bytes a field takes in the file; a text counts its length field only.
struct misura_campi {
  size_t byte = 0;
  template <typename T>
  constexpr void operator()(const char*, const T&) {
    if constexpr (std::is_same_v<T, std::string>)
      byte += sizeof(uint16_t);
    else
      byte += sizeof(T);
  }
};

// 15 bytes.
inline constexpr size_t kByteCella = [] {
  misura_campi m;
  const cella c{};
  campi_cella(c, m);
  return m.byte;
}();
// 34 bytes, before the name (not a constant expression: a voce holds a
// std::string).
inline const size_t kByteVoce = [] {
  misura_campi m;
  const voce v{};
  campi_voce(v, m);
  return m.byte;
}();
// The longest name the length field holds; the reader refuses longer ones.
inline constexpr size_t kMassimoNome = 0xFFFF;
inline size_t byte_voce(const voce& v) { return kByteVoce + std::min(v.nome.size(), kMassimoNome); }

inline constexpr int kNumeroVoci = 87;  // voci 0 to 86

// The header slots past the stations and boards, by what they hold.
namespace slot_voce {
inline constexpr size_t progressiva_tre = 81;  // the three kilometre references, as read
inline constexpr size_t progressiva_due = 82;
inline constexpr size_t progressiva_uno = 83;
inline constexpr size_t convoglio = 84;  // line length, braked mass, vehicles
inline constexpr size_t linea = 85;      // the line's name and backgrounds
inline constexpr size_t treno = 86;      // the train's number and values
}  // namespace slot_voce
using tabella_voci = std::array<voce, kNumeroVoci>;

// The plan of the track: x and y of the centre line at every whole metre.
// Its elements are variants. Metres 0 and 1 become integers when the origin
// is placed; every later metre is computed in turn, as a double, from metre 2
// upwards; whatever has not been reached stays empty. That order never
// varies, so the kind of each element follows from how far the plan got.
//
// Each metre follows from the two before it and the curvature at it, so the
// plan keeps only its runs of equal curvature and traces the coordinates
// again whenever they are read. A long line's coordinates would fill tens of
// megabytes, each byte written once and read once; fresh memory costs more
// than tracing them twice.
class tabella_tracciato {
 public:
  enum class tipo_elemento : uint16_t { vuoto = 0, intero = 2, reale = 5 };

  // Metres 0 to `ultimo_metro`, all empty.
  void crea(int32_t ultimo_metro);
  void distruggi();
  bool esiste() const { return ultimo_ >= 0; }
  int32_t ultimo_metro() const { return ultimo_; }

  // Metre 0 at (0, 0) and metre 1 at (0, 1), as integers; before any later
  // metre is traced.
  void poni_origine();
  // Traces the next `metri` metres (from 2 upwards), straight when `k` is 0,
  // turning by `k` per metre otherwise. The metres past the last one are not
  // traced, and then guasto_imprevisto is thrown, naming the first of them.
  void avanza(double k, int32_t metri);
  // The next metre to be traced: the metres computed so far are 2 to this
  // one less one.
  int32_t prossimo_metro() const { return prossimo_; }

  tipo_elemento tipo(int32_t metro) const;
  // Bytes of an element's value after its 2-byte kind.
  static constexpr size_t byte_valore(tipo_elemento k) {
    return k == tipo_elemento::intero ? sizeof(int16_t) : k == tipo_elemento::reale ? sizeof(double) : 0;
  }
  // The value of metre 0 or 1 once the origin is placed.
  static double valore_origine(int32_t metro, bool y) { return y && metro == 1 ? 1 : 0; }

  struct punto {
    double x, y;
  };
  // Where a tracing of the plan stands: the two metres before the next one
  // and the next one's place among the runs. Tracings from copies of a state
  // go on independently of each other.
  struct stato {
    punto p1, p2;  // metres m - 1 and m - 2
    size_t tratto = 0;
    int32_t nel_tratto = 0;
  };
  // Before metre 2.
  stato inizio() const { return {{0, origine_ ? 1.0 : 0.0}, {0, 0}, 0, 0}; }
  // The metre after `s`, which moves on to it: the one before it plus the
  // last step, the step turned by k when k is not 0. At most as many times
  // from the start as metres were traced.
  punto passo(stato& s) const {
    const tratto& t = tratti_[s.tratto];
    const double dx = s.p1.x - s.p2.x;
    const double dy = s.p1.y - s.p2.y;
    const punto p = t.k == 0 ? punto{s.p1.x + dx, s.p1.y + dy}
                             : punto{s.p1.x + dx + t.k * dy, s.p1.y + dy - t.k * dx};
    s.p2 = s.p1;
    s.p1 = p;
    if (++s.nel_tratto == t.metri) {
      ++s.tratto;
      s.nel_tratto = 0;
    }
    return p;
  }

 private:
  struct tratto {
    double k;
    int32_t metri;
  };

  std::vector<tratto> tratti_;
  int32_t ultimo_ = -1;
  bool origine_ = false;
  int32_t prossimo_ = 2;
};

}  // namespace binario
