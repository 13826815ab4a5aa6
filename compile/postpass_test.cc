#include "compile/postpass.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/form1.h"
#include "base/memfs.h"

namespace binario {
namespace {

namespace tc = tipo_cella;

// A cell as a case sets it up before the pass.
struct posa {
  int32_t cella;
  uint8_t tipo;
  int16_t valore_a = 0;
};

struct errore_atteso {
  int32_t codice;
  int32_t cella;
};

// A grid of `numero_celle` + 1 cells with the given features, and what the
// pass must leave: every code-change mark with its value, and the last error.
struct caso {
  std::string nome;
  std::vector<posa> celle;
  std::map<int32_t, int16_t> segni;
  std::optional<errore_atteso> errore;
  int32_t numero_celle = 199;
};

class PostPassTest : public ::testing::Test {
 protected:
  static void prepara(Form1& form, const caso& k) {
    form.numero_celle = k.numero_celle;
    form.griglia_celle.assign(static_cast<size_t>(k.numero_celle + 1), cella{});
    for (const posa& p : k.celle) {
      form.griglia_celle.at(static_cast<size_t>(p.cella)).tipo = p.tipo;
      form.griglia_celle.at(static_cast<size_t>(p.cella)).valore_a = p.valore_a;
    }
  }

  static std::map<int32_t, int16_t> segni(const Form1& form) {
    std::map<int32_t, int16_t> r;
    for (size_t k = 0; k < form.griglia_celle.size(); ++k)
      if (form.griglia_celle[k].tipo == tc::abbattimento) r[static_cast<int32_t>(k)] = form.griglia_celle[k].valore_a;
    return r;
  }

  void verifica(const caso& k) {
    SCOPED_TRACE(k.nome);
    Form1 form(fs_, "/prova");
    prepara(form, k);
    form.post_pass();
    EXPECT_EQ(segni(form), k.segni);
    if (!k.errore) {
      EXPECT_EQ(form.codice_errore, 0);
      EXPECT_TRUE(form.errori.empty());
      return;
    }
    EXPECT_EQ(form.codice_errore, k.errore->codice);
    EXPECT_EQ(form.posizione_errore, k.errore->cella * 50);
    ASSERT_FALSE(form.errori.empty());
    const errore_registrato& e = form.errori.back();
    EXPECT_EQ(e.codice, k.errore->codice);
    EXPECT_EQ(e.posizione, k.errore->cella * 50);
    EXPECT_EQ(e.cella, k.errore->cella);
    EXPECT_EQ(e.origine, origine_errore::post_pass);
    EXPECT_EQ(e.riga, 0);
  }

  MemFileSystem fs_;
};

// Cell kinds that are neither free nor a mark.
constexpr uint8_t kOccupata = tc::fermata;

TEST_F(PostPassTest, SegnaliDietroUnAvviso) {
  const std::vector<caso> casi = {
      {"avviso in cella 3: nessun segnale servito", {{3, tc::avviso_rallentamento}, {2, tc::segnale}}, {}, {}},
      {"segnale in cella 3 servito fino alla cella 1",
       {{10, tc::avviso_rallentamento}, {3, tc::segnale}, {2, kOccupata}},
       {{1, 180}},
       {}},
      {"prima cella libera davanti al segnale", {{50, tc::avviso_rallentamento}, {46, tc::segnale}}, {{45, 180}}, {}},
      {"seconda cella se la prima e' occupata",
       {{50, tc::avviso_rallentamento}, {46, tc::segnale}, {45, kOccupata}},
       {{44, 180}},
       {}},
      {"segno esistente 270 abbassato a 180",
       {{50, tc::avviso_rallentamento}, {46, tc::segnale}, {45, tc::abbattimento, 270}, {44, kOccupata}},
       {{45, 180}},
       {}},
      {"segno esistente 75 resta 75",
       {{50, tc::avviso_rallentamento}, {46, tc::segnale}, {45, tc::abbattimento, 75}, {44, kOccupata}},
       {{45, 75}},
       {}},
      {"cella libera preferita al segno esistente",
       {{50, tc::avviso_rallentamento}, {46, tc::segnale}, {45, tc::abbattimento, 270}},
       {{45, 270}, {44, 180}},
       {}},
      {"segno esistente nella seconda cella",
       {{50, tc::avviso_rallentamento}, {46, tc::segnale}, {45, kOccupata}, {44, tc::abbattimento, 270}},
       {{44, 180}},
       {}},
      {"nessuna cella davanti al segnale",
       {{50, tc::avviso_rallentamento}, {46, tc::segnale}, {45, kOccupata}, {44, kOccupata}},
       {},
       errore_atteso{11, 46}},
      {"marcatore di montagna conta come libero",
       {{50, tc::avviso_rallentamento}, {46, tc::segnale}, {45, tc::montagna}},
       {{45, 180}},
       {}},
      {"due segnali entro 20 celle",
       {{50, tc::avviso_rallentamento}, {30, tc::segnale}, {45, tc::segnale}},
       {{29, 180}, {44, 180}},
       {}},
      {"segnale a 21 celle non servito", {{50, tc::avviso_rallentamento}, {29, tc::segnale}}, {}, {}},
  };
  for (const caso& k : casi) verifica(k);
}

// A fast slowdown (no walk) whose end lies far away, so that only the
// windows before its start can place marks.
std::vector<posa> inizio_veloce(int32_t i) {
  return {{i, tc::inizio_rallentamento, 120}, {i + 40, tc::fine_rallentamento, 120}};
}

std::vector<posa> con(std::vector<posa> base, const std::vector<posa>& altre) {
  base.insert(base.end(), altre.begin(), altre.end());
  return base;
}

TEST_F(PostPassTest, FinestrePrimaDellInizio) {
  const std::vector<caso> casi = {
      {"inizio in cella 7", inizio_veloce(7), {}, {}},
      {"inizio in cella 8", inizio_veloce(8), {{3, 180}}, {}},
      {"inizio in cella 14", inizio_veloce(14), {{9, 180}, {3, 180}}, {}},
      {"inizio in cella 21", inizio_veloce(21), {{16, 180}, {10, 180}, {3, 180}}, {}},
      {"celle occupate spostano il segno",
       con(inizio_veloce(60), {{55, kOccupata}, {49, kOccupata}, {48, kOccupata}}),
       {{54, 180}, {47, 180}, {42, 180}},
       {}},
      {"un segno esistente conta come occupato",
       con(inizio_veloce(60), {{55, tc::abbattimento, 270}}),
       {{55, 270}, {54, 180}, {49, 180}, {42, 180}},
       {}},
      {"finestra piena: errore, e la successiva e' tentata lo stesso",
       con(inizio_veloce(60), {{55, kOccupata}, {54, kOccupata}, {53, kOccupata}}),
       {{49, 180}, {42, 180}},
       errore_atteso{12, 60}},
  };
  for (const caso& k : casi) verifica(k);
}

// A slowdown from cell 100 to cell 120; its window marks are always 95, 89
// and 82.
std::vector<posa> rallentamento(int16_t velocita, std::vector<posa> altre = {}) {
  return con({{100, tc::inizio_rallentamento, velocita}, {120, tc::fine_rallentamento, velocita}}, altre);
}

std::map<int32_t, int16_t> finestre_e(std::map<int32_t, int16_t> altri) {
  altri.insert({{95, 180}, {89, 180}, {82, 180}});
  return altri;
}

TEST_F(PostPassTest, CamminataNelRallentamento) {
  const std::vector<caso> casi = {
      {"ogni 8 celle", rallentamento(40), finestre_e({{108, 180}, {116, 180}}), {}},
      {"indietro di una cella", rallentamento(40, {{108, kOccupata}}), finestre_e({{107, 180}, {115, 180}}), {}},
      {"avanti di una cella",
       rallentamento(40, {{107, kOccupata}, {108, kOccupata}}),
       finestre_e({{109, 180}, {117, 180}}),
       {}},
      {"nessuna delle tre celle: errore e nessun altro segno",
       rallentamento(40, {{107, kOccupata}, {108, kOccupata}, {109, kOccupata}}),
       finestre_e({}),
       errore_atteso{13, 108}},
      {"velocita' 109", rallentamento(109), finestre_e({{108, 180}, {116, 180}}), {}},
      {"velocita' 110: nessuna camminata", rallentamento(110), finestre_e({}), {}},
  };
  for (const caso& k : casi) verifica(k);
}

TEST_F(PostPassTest, SegnaleDopoLaFine) {
  const std::vector<caso> casi = {
      {"segnale subito dopo la fine",
       rallentamento(40, {{125, tc::segnale}}),
       finestre_e({{108, 180}, {116, 180}, {124, 180}}),
       {}},
      {"solo il primo segnale",
       rallentamento(40, {{125, tc::segnale}, {130, tc::segnale}}),
       finestre_e({{108, 180}, {116, 180}, {124, 180}}),
       {}},
      {"segnale a 12 celle dalla fine",
       rallentamento(40, {{132, tc::segnale}}),
       finestre_e({{108, 180}, {116, 180}, {131, 180}}),
       {}},
      {"segnale a 13 celle: fuori ricerca", rallentamento(40, {{133, tc::segnale}}), finestre_e({{108, 180}, {116, 180}}), {}},
      {"seconda cella davanti al segnale",
       rallentamento(40, {{125, tc::segnale}, {124, kOccupata}}),
       finestre_e({{108, 180}, {116, 180}, {123, 180}}),
       {}},
      {"nessuna cella davanti al segnale",
       rallentamento(40, {{125, tc::segnale}, {124, kOccupata}, {123, tc::abbattimento, 75}}),
       finestre_e({{108, 180}, {116, 180}, {123, 75}}),
       errore_atteso{13, 120}},
      // A fast slowdown has no walk, but the signal after its end is served
      // all the same, found from the slowdown's own end.
      {"rallentamento veloce", rallentamento(110, {{125, tc::segnale}}), finestre_e({{124, 180}}), {}},
  };
  for (const caso& k : casi) verifica(k);
}

TEST_F(PostPassTest, ISegniGiaPostiContanoComeOccupati) {
  // The board in cell 40 marks cell 34 before the pass reaches the start in
  // cell 41, whose first window (36, 35, 34) then has no free cell left.
  verifica({"",
            con(inizio_veloce(41), {{40, tc::avviso_rallentamento}, {35, tc::segnale}, {36, kOccupata}}),
            {{34, 180}, {30, 180}, {23, 180}},
            errore_atteso{12, 41}});
}

// Slowdowns whose end the grid does not hold, and grids too small for the
// rules: nothing may be read or written outside the grid.
TEST_F(PostPassTest, BordiDellaGriglia) {
  const std::vector<caso> casi = {
      {"griglia vuota", {}, {}, {}, -1},
      {"una cella", {{0, tc::inizio_rallentamento, 40}}, {}, {}, 0},
      {"due celle", {{1, tc::inizio_rallentamento, 40}}, {}, {}, 1},
      {"tre celle", {{1, tc::inizio_rallentamento, 40}, {2, tc::avviso_rallentamento}}, {}, {}, 2},
      {"camminata fino all'ultima cella senza fine",
       {{20, tc::inizio_rallentamento, 40}},
       {{15, 180}, {9, 180}, {28, 180}},
       {},
       30},
      {"segno oltre l'ultima cella impossibile",
       {{22, tc::inizio_rallentamento, 40}, {29, kOccupata}, {30, kOccupata}},
       {{17, 180}, {11, 180}, {4, 180}},
       errore_atteso{13, 30},
       30},
      {"ricerca del segnale fino all'ultima cella",
       {{30, tc::inizio_rallentamento, 40}, {37, tc::fine_rallentamento, 40}, {40, tc::segnale}},
       {{25, 180}, {19, 180}, {12, 180}, {39, 180}},
       {},
       40},
      {"rallentamento veloce senza fine", {{30, tc::inizio_rallentamento, 200}}, {{25, 180}, {19, 180}, {12, 180}}, {}, 40},
  };
  for (const caso& k : casi) verifica(k);
}

TEST_F(PostPassTest, GrigliaPiuCortaDelNumeroDiCelle) {
  // The pass trusts the grid it has, not the count.
  caso k{"", {{20, tc::inizio_rallentamento, 40}}, {{15, 180}, {9, 180}, {28, 180}}, {}, 30};
  Form1 form(fs_, "/prova");
  prepara(form, k);
  form.numero_celle = 720;
  form.post_pass();
  EXPECT_EQ(segni(form), k.segni);
}

TEST(Minimo, IlMinoreOppureIlPrimo) {
  struct {
    int32_t x, y, atteso;
  } const casi[] = {{180, 270, 180}, {180, 75, 75}, {180, 180, 180}, {180, -5, -5}};
  for (const auto& k : casi) EXPECT_EQ(minimo(k.x, k.y), k.atteso) << k.x << ", " << k.y;
}

}  // namespace
}  // namespace binario
