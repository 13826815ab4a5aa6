#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "app/form1.h"
#include "base/memfs.h"

namespace binario {
namespace {

constexpr int32_t kMax32 = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin32 = std::numeric_limits<int32_t>::min();

// A 29000 m line: cells 0 to 720, all empty.
class Posa : public ::testing::Test {
 protected:
  Posa() : f(fs, "/dir") { crea_griglia(720); }

  // A fresh grid, as the reader makes it, with the span count reset.
  void crea_griglia(int32_t n) {
    f.numero_montagne = 0;
    f.numero_celle = n;
    f.griglia_celle.assign(static_cast<size_t>(n) + 1, cella{});
  }
  cella& c(size_t i) { return f.griglia_celle.at(i); }
  // Cells whose `tipo` is `t`.
  std::vector<size_t> celle_di_tipo(uint8_t t) const {
    std::vector<size_t> r;
    for (size_t i = 0; i < f.griglia_celle.size(); ++i)
      if (f.griglia_celle[i].tipo == t) r.push_back(i);
    return r;
  }
  void segnale(int32_t posizione, int32_t sx = 0, int32_t s1 = 0, int32_t dx = 0, int32_t tempo = 0) {
    f.memo_segnale(posizione, sx, s1, 0, 0, 0, dx, 0, 0, 0, tempo);
  }

  MemFileSystem fs;
  Form1 f;
};

// ---- Cell of a position -----------------------------------------------------

TEST_F(Posa, CellaDiUnaPosizioneArrotondaAlPari) {
  struct caso {
    int32_t posizione;
    size_t cella;
  };
  // 25 m is 1.5 and 75 m is 2.5: both go to the even 2; 125 m is 3.5 -> 4.
  for (const caso& k : std::vector<caso>{{0, 1}, {24, 1}, {25, 2}, {49, 2}, {75, 2}, {76, 3}, {125, 4}, {550, 12}}) {
    crea_griglia(720);
    segnale(k.posizione);
    EXPECT_EQ(celle_di_tipo(tipo_cella::segnale), std::vector<size_t>{k.cella}) << k.posizione;
  }
}

// ---- memo_segnale -------------------------------------------------------------

TEST_F(Posa, SegnaleAspettiEAvvisi) {
  c(4).codice_avviso = 81;  // a station's approach code, overwritten
  c(6).tipo = tipo_cella::fermata;
  segnale(550, /*sx=*/2, /*s1=*/4);
  EXPECT_EQ(f.codice_errore, 0);
  cella atteso;
  atteso.tipo = tipo_cella::segnale;
  atteso.valore_a = 40;
  atteso.valore_d = 6;
  EXPECT_EQ(c(12), atteso);
  EXPECT_EQ(c(10).codice_avviso, 61);
  EXPECT_EQ(c(8).codice_avviso, 62);
  EXPECT_EQ(c(6).codice_avviso, 63);
  EXPECT_EQ(c(4).codice_avviso, 64);
  EXPECT_EQ(c(6).tipo, tipo_cella::fermata);  // approach cells keep their type
  EXPECT_EQ(c(10).tipo, tipo_cella::vuota);
  EXPECT_EQ(c(11).codice_avviso, 0);
}

TEST_F(Posa, SegnaleTuttiICampi) {
  f.memo_segnale(550, 1, 2, 3, 4, 5, 2, 6, 7, 8, 0);
  EXPECT_EQ(c(12).valore_d, 5 * 10 + 1 * 3 + 2);
  EXPECT_EQ(c(12).valore_a, 26);
  EXPECT_EQ(c(12).valore_b, 37);
  EXPECT_EQ(c(12).valore_c, 48);
  EXPECT_EQ(c(10).codice_avviso, 51);
  EXPECT_EQ(c(4).codice_avviso, 54);
}

TEST_F(Posa, SegnaleTempo) {
  struct caso {
    int32_t sx, tempo;
    uint8_t atteso;
  };
  const std::vector<caso> casi = {
      {2, 0, 0},     {2, 1, 101},  {2, 50, 101}, {2, 100, 101}, {2, 101, 101},
      {2, 255, 255}, {2, 300, 44}, {2, -1, 255}, {1, 255, 0},   {0, 50, 0},
  };
  for (const caso& k : casi) {
    crea_griglia(720);
    segnale(550, k.sx, 0, 0, k.tempo);
    EXPECT_EQ(c(12).tempo_segnale, k.atteso) << "sx " << k.sx << " tempo " << k.tempo;
  }
}

TEST_F(Posa, SegnaleTieneIBitBassi) {
  f.memo_segnale(550, 100, 4000, 0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(c(12).valore_a, static_cast<int16_t>(40000 - 65536));
  EXPECT_EQ(c(12).valore_d, 300);
  EXPECT_EQ(c(10).codice_avviso, 3001 % 256);
  f.memo_segnale(2550, kMax32, kMax32, kMin32, 0, kMax32, kMax32, kMax32, 0, 0, kMax32);  // no overflow trap
  EXPECT_EQ(f.codice_errore, 0);
}

TEST_F(Posa, SegnaleSuUnSegnaleSuccessivoVinceNegliAvvisi) {
  segnale(550, 1);
  segnale(750, 2);  // cell 16; its approach cells 14, 12 (the first signal), 10, 8
  EXPECT_EQ(f.codice_errore, 0);
  EXPECT_EQ(c(10).codice_avviso, 63);
  EXPECT_EQ(c(12).codice_avviso, 62);
  EXPECT_EQ(c(12).tipo, tipo_cella::segnale);
  EXPECT_EQ(c(4).codice_avviso, 34);
}

// ---- memo_indicatori_v_max ------------------------------------------------------

TEST_F(Posa, IndicatoriVelocita) {
  struct caso {
    int32_t vas, vbs, vcs, strisces, vad, vbd, vcd, strisced;
    int16_t a, b, c, d;
  };
  const std::vector<caso> casi = {
      {90, 90, 90, 0, 0, 0, 0, 0, 1800, 1800, 1800, 0},
      {90, 90, 90, 0, 83, 0, 0, 0, 1817, 1800, 1800, 0},   // 16.6 -> 17
      {90, 60, 30, 2, 82, 81, 0, 1, 1816, 1216, 600, 21},  // 16.4 -> 16, 16.2 -> 16
      {-90, 0, 0, 0, -83, 0, 0, 0, -1817, 0, 0, 0},
      {0, 0, 0, 3277, 0, 0, 0, 0, 0, 0, 0, static_cast<int16_t>(32770 - 65536)},  // stripes keep 16 bits
      {1638, 0, 0, 0, 36, 0, 0, 0, 32767, 0, 0, 0},                               // 32767.2 rounds to the limit
  };
  for (const caso& k : casi) {
    crea_griglia(720);
    f.memo_indicatori_v_max(550, k.vas, k.vbs, k.vcs, k.strisces, k.vad, k.vbd, k.vcd, k.strisced);
    EXPECT_EQ(f.codice_errore, 0);
    EXPECT_EQ(c(12).tipo, tipo_cella::indicatori_v_max);
    EXPECT_EQ(c(12).valore_a, k.a) << k.vas << "/" << k.vad;
    EXPECT_EQ(c(12).valore_b, k.b);
    EXPECT_EQ(c(12).valore_c, k.c);
    EXPECT_EQ(c(12).valore_d, k.d);
  }
}

// A rounded speed beyond a signed 16-bit field is a failure the reader
// reports; the boards' cell is left as it was.
TEST_F(Posa, IndicatoriFuoriIntervalloSonoUnGuasto) {
  struct caso {
    int32_t vas, vbs, vcs, vad, vbd, vcd;
  };
  const std::vector<caso> casi = {
      {1639, 0, 0, 0, 0, 0},   // 32780
      {0, 0, -1639, 0, 0, 0},  // -32780
      {0, 1638, 0, 0, 40, 0},  // 32768
      {kMax32, 0, 0, kMax32, 0, 0},
  };
  for (const caso& k : casi) {
    crea_griglia(720);
    EXPECT_THROW(f.memo_indicatori_v_max(550, k.vas, k.vbs, k.vcs, 0, k.vad, k.vbd, k.vcd, 0), guasto_imprevisto);
    EXPECT_EQ(c(12), cella{});
  }
}

// ---- memo_rallentamento ---------------------------------------------------------

TEST_F(Posa, RallentamentoSuGrigliaVuota) {
  f.memo_rallentamento(14250, 30, 1550, 0, 0, 0);
  EXPECT_EQ(f.codice_errore, 0);
  EXPECT_EQ(celle_di_tipo(tipo_cella::avviso_rallentamento), std::vector<size_t>{262});
  EXPECT_EQ(celle_di_tipo(tipo_cella::inizio_rallentamento), std::vector<size_t>{286});
  EXPECT_EQ(celle_di_tipo(tipo_cella::fine_rallentamento), std::vector<size_t>{317});
  EXPECT_TRUE(celle_di_tipo(tipo_cella::approccio_rallentamento).empty());
  for (size_t i : {262, 286, 317}) {
    EXPECT_EQ(c(i).valore_a, 30);
    EXPECT_EQ(c(i).valore_b, 0);
    EXPECT_EQ(c(i).valore_c, 0);
  }
}

TEST_F(Posa, RallentamentoValoriEBloccoDiQuattro) {
  c(286).valore_b = 9;
  f.memo_rallentamento(14250, 30, 1550, 7, 1, 5);
  EXPECT_EQ(f.codice_errore, 0);
  EXPECT_EQ(c(286).valore_b, 5);
  EXPECT_EQ(c(317).valore_b, 5);
  EXPECT_EQ(c(262).valore_b, 5);
  EXPECT_EQ(c(286).valore_c, 7);
  EXPECT_EQ(c(317).valore_c, 7);
  EXPECT_EQ(c(262).valore_c, 0);  // the warning takes no f_tt
  // k = R(13050 / 50) = 261, the cell next to the warning, carries 1.
  EXPECT_EQ(celle_di_tipo(tipo_cella::approccio_rallentamento), (std::vector<size_t>{258, 259, 260, 261}));
  for (int16_t i = 0; i < 4; ++i) {
    EXPECT_EQ(c(static_cast<size_t>(261 - i)).valore_a, i + 1);
    EXPECT_EQ(c(static_cast<size_t>(261 - i)).valore_b, i + 1);
  }
}

TEST_F(Posa, RallentamentoSenzaDvLasciaValoreB) {
  for (size_t i : {258, 261, 262, 286, 317}) c(i).valore_b = 9;
  f.memo_rallentamento(14250, 30, 1550, 0, 1, 0);
  for (size_t i : {258, 261, 262, 286, 317}) EXPECT_EQ(c(i).valore_b, 9) << i;
}

TEST_F(Posa, RallentamentoVicinoAllInizioSenzaAvviso) {
  struct caso {
    int32_t x;
    std::vector<size_t> avviso, blocco;
  };
  const std::vector<caso> casi = {
      {1500, {}, {}}, {300, {}, {}}, {1501, {7}, {3, 4, 5, 6}},  // R(301 / 50 + 1) = 7, k = R(6.02) = 6
  };
  for (const caso& k : casi) {
    crea_griglia(720);
    f.memo_rallentamento(k.x, 30, 500, 0, 1, 0);
    EXPECT_EQ(f.codice_errore, 0) << k.x;
    EXPECT_EQ(celle_di_tipo(tipo_cella::avviso_rallentamento), k.avviso) << k.x;
    EXPECT_EQ(celle_di_tipo(tipo_cella::approccio_rallentamento), k.blocco) << k.x;
  }
}

TEST_F(Posa, RallentamentoDiLunghezzaZero) {
  f.memo_rallentamento(14250, 30, 0, 4, 0, 0);
  EXPECT_EQ(f.codice_errore, 0);
  EXPECT_EQ(celle_di_tipo(tipo_cella::inizio_rallentamento), std::vector<size_t>{286});
  EXPECT_TRUE(celle_di_tipo(tipo_cella::fine_rallentamento).empty());
  EXPECT_EQ(c(286).valore_a, 30);
  EXPECT_EQ(c(286).valore_c, 4);
}

// (x - 1200) / 50 an exact half: with an odd whole part k lands on the
// warning itself; with an even one it lands two below, skipping a cell.
TEST_F(Posa, RallentamentoBloccoConMezzoEsatto) {
  f.memo_rallentamento(1200 + 375, 30, 500, 0, 1, 0);  // w = R(8.5) = 8, k = R(7.5) = 8
  EXPECT_EQ(f.codice_errore, 20);
  EXPECT_EQ(c(8).tipo, tipo_cella::avviso_rallentamento);
  EXPECT_TRUE(celle_di_tipo(tipo_cella::approccio_rallentamento).empty());

  crea_griglia(720);
  f.codice_errore = 0;
  f.memo_rallentamento(1200 + 425, 30, 500, 0, 1, 0);  // w = R(9.5) = 10, k = R(8.5) = 8
  EXPECT_EQ(f.codice_errore, 0);
  EXPECT_EQ(celle_di_tipo(tipo_cella::avviso_rallentamento), std::vector<size_t>{10});
  EXPECT_EQ(celle_di_tipo(tipo_cella::approccio_rallentamento), (std::vector<size_t>{5, 6, 7, 8}));
  EXPECT_EQ(c(9), cella{});
}

// ---- Conflicts ------------------------------------------------------------------

TEST_F(Posa, ConflittiNonScrivonoNulla) {
  struct caso {
    std::string nome;
    size_t occupata;
    std::function<void(Form1&)> posa;
    int32_t codice;
  };
  auto segnale550 = [](Form1& g) { g.memo_segnale(550, 2, 4, 0, 0, 0, 0, 0, 0, 0, 0); };
  auto indicatori550 = [](Form1& g) { g.memo_indicatori_v_max(550, 90, 90, 90, 0, 0, 0, 0, 0); };
  auto rallentamento = [](Form1& g) { g.memo_rallentamento(14250, 30, 1550, 1, 1, 1); };
  const std::vector<caso> casi = {
      {"segnale", 12, segnale550, 16},    {"indicatori", 12, indicatori550, 21}, {"avviso", 262, rallentamento, 17},
      {"inizio", 286, rallentamento, 18}, {"fine", 317, rallentamento, 19},
  };
  for (uint8_t tipo : {tipo_cella::segnale, tipo_cella::fermata, tipo_cella::abbattimento, tipo_cella::cartello}) {
    for (const caso& k : casi) {
      crea_griglia(720);
      f.codice_errore = 0;
      c(k.occupata).tipo = tipo;
      const std::vector<cella> prima = f.griglia_celle;
      k.posa(f);
      EXPECT_EQ(f.codice_errore, k.codice) << k.nome << " su tipo " << int{tipo};
      EXPECT_EQ(f.griglia_celle, prima) << k.nome;
      ASSERT_FALSE(f.errori.empty());
      EXPECT_EQ(f.errori.back().codice, k.codice);
    }
  }
}

// Error 20 leaves the end, start and warning written.
TEST_F(Posa, ConflittoNelBloccoDiQuattro) {
  for (size_t occupata : {258, 259, 260, 261}) {
    crea_griglia(720);
    f.codice_errore = 0;
    c(occupata).tipo = tipo_cella::segnale;
    f.memo_rallentamento(14250, 30, 1550, 0, 1, 0);
    EXPECT_EQ(f.codice_errore, 20) << occupata;
    EXPECT_EQ(c(262).tipo, tipo_cella::avviso_rallentamento);
    EXPECT_EQ(c(286).tipo, tipo_cella::inizio_rallentamento);
    EXPECT_EQ(c(317).tipo, tipo_cella::fine_rallentamento);
    EXPECT_TRUE(celle_di_tipo(tipo_cella::approccio_rallentamento).empty());
  }
}

TEST_F(Posa, IlMarcatoreDiMontagnaNonOccupa) {
  for (size_t i : {12, 262, 286, 317}) c(i).tipo = tipo_cella::montagna;
  segnale(550);
  f.memo_rallentamento(14250, 30, 1550, 0, 0, 0);
  EXPECT_EQ(f.codice_errore, 0);
  EXPECT_EQ(c(12).tipo, tipo_cella::segnale);
  EXPECT_EQ(c(262).tipo, tipo_cella::avviso_rallentamento);
  EXPECT_EQ(c(286).tipo, tipo_cella::inizio_rallentamento);
  EXPECT_EQ(c(317).tipo, tipo_cella::fine_rallentamento);
  crea_griglia(720);
  c(12).tipo = tipo_cella::montagna;
  f.memo_indicatori_v_max(550, 90, 90, 90, 0, 0, 0, 0, 0);
  EXPECT_EQ(f.codice_errore, 0);
  EXPECT_EQ(c(12).tipo, tipo_cella::indicatori_v_max);
}

// ---- memo_montagna --------------------------------------------------------------

TEST_F(Posa, MontagnaCelleEMarcatori) {
  struct caso {
    int32_t inizio, fine, tipo;
    int64_t primo, ultimo;  // covered cells, none when primo > ultimo
    std::set<size_t> marcatori;
    uint8_t genere;
  };
  const std::vector<caso> casi = {
      {350, 500, 12, 7, 9, {}, 2},
      {1600, 1850, 12, 32, 36, {35}, 2},
      {1600, 1850, 2, 32, 36, {}, 2},  // unmarked
      {3000, 3050, 12, 60, 60, {}, 2},
      {3000, 3000, 12, 60, 59, {}, 0},
      {1000, 1900, 11, 20, 37, {23, 27, 31, 35}, 1},
      {1000, 1900, 300, 20, 37, {23, 27, 31, 35}, 290 % 256},  // kind keeps 8 bits
      {1000, 1900, 7, 20, 37, {}, 7},
  };
  for (const caso& k : casi) {
    crea_griglia(720);
    f.memo_montagna(k.inizio, k.fine, k.tipo);
    for (size_t i = 0; i < f.griglia_celle.size(); ++i) {
      const bool coperta = static_cast<int64_t>(i) >= k.primo && static_cast<int64_t>(i) <= k.ultimo;
      EXPECT_EQ(c(i).tipo_montagna, coperta ? k.genere : 0) << k.inizio << "-" << k.fine << " cella " << i;
      EXPECT_EQ(c(i).tipo, k.marcatori.count(i) ? tipo_cella::montagna : tipo_cella::vuota)
          << k.inizio << "-" << k.fine << " cella " << i;
    }
  }
}

TEST_F(Posa, MontagnaNonCopreAltriTipi) {
  c(35).tipo = tipo_cella::segnale;
  c(34).tipo = tipo_cella::fermata;
  f.memo_montagna(1600, 1850, 12);
  EXPECT_EQ(f.codice_errore, 0);
  EXPECT_EQ(c(35).tipo, tipo_cella::segnale);
  EXPECT_EQ(c(35).tipo_montagna, 2);
  EXPECT_EQ(c(34).tipo_montagna, 2);
}

TEST_F(Posa, MontagnaVicinaAllaPrecedenteDiventaTre) {
  struct caso {
    int32_t inizio2, tipo2;
    uint8_t genere;
    bool marcatore;
  };
  const std::vector<caso> casi = {
      {2150, 2, 3, false},  // 150 m after the previous end
      {2151, 2, 2, false},
      {2150, 11, 3, true},  // a marked span keeps its markers
      {1500, 1, 3, false},  // overlap
  };
  for (const caso& k : casi) {
    crea_griglia(720);
    f.memo_montagna(1000, 2000, 1);
    f.memo_montagna(k.inizio2, 3000, k.tipo2);
    EXPECT_EQ(f.numero_montagne, 2);
    EXPECT_EQ(f.montagne_inizio[2], k.inizio2);
    EXPECT_EQ(f.montagne_fine[2], 3000);
    EXPECT_EQ(c(58).tipo_montagna, k.genere) << k.inizio2;
    EXPECT_EQ(celle_di_tipo(tipo_cella::montagna).empty(), !k.marcatore);
  }
}

// An 81st span has no slot: the lists and the count stay as they are, it is
// compared with nothing, and it still marks its cells.
TEST_F(Posa, MontagnaOltreLOttantesima) {
  for (int32_t n = 1; n <= 80; ++n) f.memo_montagna(n * 300, n * 300 + 100, 2);
  ASSERT_EQ(f.numero_montagne, 80);
  EXPECT_EQ(f.montagne_inizio[80], 24000);
  EXPECT_EQ(f.montagne_inizio[0], 0);
  const auto inizio = f.montagne_inizio;
  const auto fine = f.montagne_fine;
  f.memo_montagna(24200, 24600, 12);  // 100 m after the 80th: kind 3 if compared
  EXPECT_EQ(f.numero_montagne, 80);
  EXPECT_EQ(f.montagne_inizio, inizio);
  EXPECT_EQ(f.montagne_fine, fine);
  EXPECT_EQ(c(484).tipo_montagna, 2);
  EXPECT_EQ(c(491).tipo_montagna, 2);
  EXPECT_EQ(c(487).tipo, tipo_cella::montagna);
  EXPECT_EQ(f.codice_errore, 0);
}

// ---- Cells outside the grid -----------------------------------------------------

// A feature's own cell that does not exist is error 15 with the line's
// position, and nothing is written.
TEST_F(Posa, CellaDellaPosaFuoriGriglia) {
  struct caso {
    std::string nome;
    std::function<void(Form1&)> posa;
    int32_t posizione;
  };
  const std::vector<caso> casi = {
      {"segnale negativo", [](Form1& g) { g.memo_segnale(-100, 2, 4, 0, 0, 0, 0, 0, 0, 0, 0); }, -100},
      {"indicatori negativi", [](Form1& g) { g.memo_indicatori_v_max(-76, 90, 90, 90, 0, 0, 0, 0, 0); }, -76},
      {"inizio negativo", [](Form1& g) { g.memo_rallentamento(-1000, 30, 5000, 0, 0, 0); }, -1000},
      {"fine oltre la griglia", [](Form1& g) { g.memo_rallentamento(28000, 30, 8000, 0, 1, 0); }, 28000},
      {"fine prima della griglia", [](Form1& g) { g.memo_rallentamento(1000, 30, -2000, 0, 0, 0); }, 1000},
      {"lunghezza enorme", [](Form1& g) { g.memo_rallentamento(14250, 30, kMax32, 0, 0, 0); }, 14250},
      {"lunghezza minima", [](Form1& g) { g.memo_rallentamento(14250, 30, kMin32, 0, 0, 0); }, 14250},
      {"posizione minima", [](Form1& g) { g.memo_segnale(kMin32, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0); }, kMin32},
  };
  for (const caso& k : casi) {
    crea_griglia(720);
    f.codice_errore = 0;
    f.posizione_errore = 0;
    k.posa(f);
    EXPECT_EQ(f.codice_errore, 15) << k.nome;
    EXPECT_EQ(f.posizione_errore, k.posizione) << k.nome;
    ASSERT_FALSE(f.errori.empty());
    EXPECT_EQ(f.errori.back().posizione, k.posizione) << k.nome;
    EXPECT_EQ(f.griglia_celle, std::vector<cella>(721)) << k.nome;
  }
}

// Cell 0 exists: a position down to -75 m still lands in the grid.
TEST_F(Posa, CellaZeroEsiste) {
  segnale(-75);
  EXPECT_EQ(f.codice_errore, 0);
  EXPECT_EQ(c(0).tipo, tipo_cella::segnale);
}

// Approach codes before the start of the line are dropped.
TEST_F(Posa, AvvisiPrimaDellInizioSaltati) {
  struct caso {
    int32_t posizione;
    std::vector<size_t> avvisi;
  };
  const std::vector<caso> casi = {{0, {}}, {50, {0}}, {250, {0, 2, 4}}, {350, {0, 2, 4, 6}}};
  for (const caso& k : casi) {
    crea_griglia(720);
    segnale(k.posizione, 1);
    EXPECT_EQ(f.codice_errore, 0);
    std::vector<size_t> con_avviso;
    for (size_t i = 0; i < f.griglia_celle.size(); ++i)
      if (c(i).codice_avviso != 0) con_avviso.push_back(i);
    EXPECT_EQ(con_avviso, k.avvisi) << k.posizione;
  }
}

// Spans are clipped to the grid; markers keep their count from the span's own
// first cell.
TEST_F(Posa, MontagnaTagliataAllaGriglia) {
  f.memo_montagna(-500, 200, 12);  // cells -10 to 3: the 12th counted is cell 1
  for (size_t i = 0; i <= 3; ++i) EXPECT_EQ(c(i).tipo_montagna, 2) << i;
  EXPECT_EQ(c(4).tipo_montagna, 0);
  EXPECT_EQ(celle_di_tipo(tipo_cella::montagna), std::vector<size_t>{1});

  crea_griglia(720);
  f.memo_montagna(35000, 99999, 2);
  EXPECT_EQ(c(720).tipo_montagna, 2);
  EXPECT_EQ(c(699).tipo_montagna, 0);

  crea_griglia(720);
  f.memo_montagna(kMin32, kMax32, 12);
  for (size_t i = 0; i <= 720; ++i) EXPECT_EQ(c(i).tipo_montagna, 2) << i;
  EXPECT_EQ(f.codice_errore, 0);
}

TEST_F(Posa, SenzaGrigliaEUnGuasto) {
  f.griglia_celle.clear();
  EXPECT_THROW(segnale(550), guasto_imprevisto);
  EXPECT_THROW(f.memo_indicatori_v_max(550, 90, 90, 90, 0, 0, 0, 0, 0), guasto_imprevisto);
  EXPECT_THROW(f.memo_rallentamento(14250, 30, 1550, 0, 0, 0), guasto_imprevisto);
  EXPECT_THROW(f.memo_montagna(350, 500, 12), guasto_imprevisto);
}

}  // namespace
}  // namespace binario
