// The line description file: grid, gradients, plan, boards and the errors
// that end its reading.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "app/form1.h"
#include "testing/compilazione_prova.h"

namespace binario {
namespace {

using prova_lettura::banco;
using prova_lettura::linea;
using prova_lettura::punti;
using prova_lettura::righe;

std::string con_lunghezza(const std::string& l) {
  return righe({"[generale]", "lunghezza percorso,    " + l, "[fine]"});
}

TEST(LetturaLinea, TheGridIsSizedFromTheLength) {
  struct caso {
    std::string l;
    int32_t codice, estesa, ultima_cella;
  };
  const std::vector<caso> casi = {
      {"29000", 0, 36000, 720},
      {"1000000", 0, 1007000, 20140},
      {"1000001", 1, 0, -1},
      {"29025", 0, 36025, 720},  // 720.5 rounds to the even 720
      {"29075", 0, 36075, 722},  // 721.5 to the even 722
      {"-7025", 0, -25, 0},      // -0.5 rounds to 0: one cell
      {"-7050", 25, 0, -1},      // no grid can have -1 as its last cell
  };
  for (const caso& c : casi) {
    banco b;
    b.scrivi(con_lunghezza(c.l));
    b.leggi();
    SCOPED_TRACE(c.l);
    EXPECT_EQ(b.f.codice_errore, c.codice);
    EXPECT_EQ(b.f.voci[84].fine_zona, std::stoi(c.l));
    EXPECT_EQ(static_cast<int64_t>(b.f.griglia_celle.size()), int64_t{c.ultima_cella} + 1);
    if (c.codice == 0) {
      EXPECT_EQ(b.f.lunghezza_estesa, c.estesa);
      EXPECT_EQ(b.f.numero_celle, c.ultima_cella);
    }
    EXPECT_FALSE(b.c_e_linea());
  }
}

TEST(LetturaLinea, GradientsFillTheCellsUpToTheNextChange) {
  banco b;
  b.scrivi(linea(righe({"[pendenze]", "pendenza,  0,   0", "pendenza,  250,   -8", "pendenza,  350,   0", "[fine]"})));
  b.leggi();
  ASSERT_EQ(b.f.codice_errore, 0);
  ASSERT_EQ(b.f.griglia_celle.size(), 721u);
  for (int i = 0; i <= 720; ++i) {
    const int atteso = (i >= 5 && i <= 6) ? 92 : (i <= 717 ? 100 : 0);
    EXPECT_EQ(b.f.griglia_celle[i].pendenza, atteso) << "cella " << i;
  }
}

TEST(LetturaLinea, AGradientInTheSameCellStillWritesOneCell) {
  banco b;
  b.scrivi(linea(righe({"pendenza, 250, -8", "pendenza, 260, 5", "pendenza, 400, 0", "pendenza, 500, -150"})));
  b.leggi();
  const auto& g = b.f.griglia_celle;
  EXPECT_EQ(g[4].pendenza, 100);
  EXPECT_EQ(g[5].pendenza, 92);   // the previous gradient, although 260 is again cell 5
  EXPECT_EQ(g[6].pendenza, 105);
  EXPECT_EQ(g[7].pendenza, 105);
  EXPECT_EQ(g[8].pendenza, 100);
  EXPECT_EQ(g[10].pendenza, 206);  // -50 keeps its low 8 bits
}

TEST(LetturaLinea, EachPartTestsOnlyItsOwnKeysInTheirOwnMode) {
  struct caso {
    std::string nome;
    std::string testo;
    std::function<void(const Form1&)> verifica;
  };
  const std::vector<caso> casi = {
      {"sfondo, exact case",
       righe({"[generale]", "lunghezza percorso, 29000", "sfondo uno, 5", "sfondo due, 6", "sfondo tre, 7", "SFONDO UNO, 9",
              "[fine]"}),
       [](const Form1& f) {
         EXPECT_EQ(f.voci[85].inizio_zona, 5);
         EXPECT_EQ(f.voci[85].posizione, 6);
         EXPECT_EQ(f.voci[85].fine_zona, 7);
       }},
      {"length, any case", righe({"[GENERALE]", "LUNGHEZZA Percorso, 1000", "[fine]"}),
       [](const Form1& f) { EXPECT_EQ(f.numero_celle, 160); }},
      {"gradient inside [generale]", righe({"[generale]", "lunghezza percorso, 29000", "pendenza, 250, 8", "[fine]"}),
       [](const Form1& f) { EXPECT_EQ(f.griglia_celle[5].pendenza, 100); }},
      {"sfondo after [generale]", linea(righe({"sfondo uno, 5"})),
       [](const Form1& f) { EXPECT_EQ(f.voci[85].inizio_zona, 0); }},
      {"PENDENZA in the sections", linea(righe({"PENDENZA, 250, -8"})),
       [](const Form1& f) { EXPECT_EQ(f.griglia_celle[5].pendenza, 92); }},
      // 75 is no multiple of 50: read, it gives code 2 at the very end.
      {"kilometre reference read",
       righe({"[generale]", "lunghezza percorso, 29000", "progressiva chilometrica uno, 0, 75, 0", "[fine]"}),
       [](const Form1& f) { EXPECT_EQ(f.codice_errore, 2); }},
      {"kilometre reference UNO ignored",
       righe({"[generale]", "lunghezza percorso, 29000", "progressiva chilometrica UNO, 0, 75, 0", "[fine]"}),
       [](const Form1& f) { EXPECT_EQ(f.codice_errore, 0); }},
  };
  for (const caso& c : casi) {
    banco b;
    b.scrivi(c.testo);
    b.leggi();
    SCOPED_TRACE(c.nome);
    c.verifica(b.f);
  }
}

TEST(LetturaLinea, SignalRepetitionTakesItsKindFromTheKey) {
  struct caso {
    std::string chiave, valori;
    int32_t codice, inizio, fine, tipo;
  };
  const std::vector<caso> casi = {
      {"ripetizione segnali 4 codici", "0    ,0", 0, 0, 0, 0},
      {"ripetizione segnali 4 codici", "100, 200", 0, 100, 200, 4},
      {"ripetizione segnali 9 codici", "100, 150", 0, 100, 150, 9},
      {"ripetizione segnali 9", "100, 0", 0, 100, 0, 0},  // no second value: no kind
      {"ripetizione segnali 9", "-100, 0", 0, -100, 0, 0},
      {"ripetizione segnali", "100, 200", 5, 100, 200, 0},
      {"ripetizione segnali 4 codici", "25, 0", 3, 25, 0, 0},
      {"ripetizione segnali 4 codici", "100, 30", 4, 100, 30, 0},
      {"Ripetizione segnali 4 codici", "100, 200", 0, 0, 0, 0},  // exact case: not this key
  };
  for (const caso& c : casi) {
    banco b;
    b.scrivi(righe({"[generale]", "lunghezza percorso, 29000", c.chiave + ", " + c.valori, "[fine]"}));
    b.leggi();
    SCOPED_TRACE(c.chiave + " " + c.valori);
    EXPECT_EQ(b.f.codice_errore, c.codice);
    EXPECT_EQ(b.f.voci[86].inizio_zona, c.inizio);
    EXPECT_EQ(b.f.voci[86].fine_zona, c.fine);
    EXPECT_EQ(b.f.voci[86].posizione, c.tipo);
    EXPECT_FALSE(b.c_e_linea());
    EXPECT_EQ(b.c_e_servizio(), c.codice != 0);
  }
}

// Ten first fields with a hyphen are passed over in "[generale]", two in the
// sections; the next one is tested even if it holds a hyphen.
TEST(LetturaLinea, HyphenLinesArePassedOver) {
  struct caso {
    bool generale;
    int trattini;
    bool letta;
  };
  const std::vector<caso> casi = {{true, 9, false}, {true, 10, true}, {false, 1, false}, {false, 2, true}};
  for (const caso& c : casi) {
    std::vector<std::string> r = {"[generale]", "lunghezza percorso, 29000"};
    if (!c.generale) r.push_back("[curve]");
    for (int i = 0; i < c.trattini; ++i) r.push_back("-- nota");
    r.push_back(c.generale ? "sfondo uno -, 7" : "pendenza -, 250, 8");
    r.push_back("[fine]");
    std::string t;
    for (const std::string& s : r) t += s + "\r\n";
    banco b;
    b.scrivi(t);
    b.leggi();
    SCOPED_TRACE(testing::Message() << (c.generale ? "generale " : "sezioni ") << c.trattini);
    EXPECT_EQ(b.f.codice_errore, 0);
    if (c.generale)
      EXPECT_EQ(b.f.voci[85].inizio_zona, c.letta ? 7 : 0);
    else
      EXPECT_EQ(b.f.griglia_celle[6].pendenza, c.letta ? 108 : 100);
  }
}

TEST(LetturaLinea, ACurveTurnsByTheDigitAndSideOfItsKey) {
  struct caso {
    std::string chiave;
    double x;  // at the first curved metre, heading +y with steps of 1
  };
  const std::vector<caso> casi = {
      {"curvas5", -0.002}, {"curvaD5", 0.002}, {"CURVAS5", -0.002}, {"curvad1", 0.0001},
      {"curvad2", 0.0002}, {"curvad3", 0.0004}, {"curvad4", 0.001}, {"curvad6", 0.003},
      {"curvad51", 0.0001},  // the digits are tried from 1 upwards
  };
  for (const caso& c : casi) {
    banco b;
    b.scrivi(linea(righe({c.chiave + ",  10,  1", "[fine]"})));
    b.leggi(1);
    SCOPED_TRACE(c.chiave);
    ASSERT_EQ(b.f.codice_errore, 0);
    EXPECT_DOUBLE_EQ(b.f.curvatura, c.x);
    const auto p = punti(b.f.tracciato);
    EXPECT_EQ(p[10].x, 0);
    EXPECT_EQ(p[10].y, 10);
    EXPECT_DOUBLE_EQ(p[11].x, c.x);
    EXPECT_DOUBLE_EQ(p[11].y, 11);
  }
}

TEST(LetturaLinea, ThePlanRunsStraightToTwoMetresBeforeItsEnd) {
  banco b;
  b.scrivi(linea(righe({"curvad5,  500,  250", "curvas5,  100,  10", "[fine]"})));
  b.leggi(1);
  ASSERT_EQ(b.f.codice_errore, 0);
  const tabella_tracciato& t = b.f.tracciato;
  using tipo = tabella_tracciato::tipo_elemento;
  EXPECT_EQ(t.ultimo_metro(), 36000);
  EXPECT_EQ(t.tipo(1), tipo::intero);
  EXPECT_EQ(t.tipo(35998), tipo::reale);
  EXPECT_EQ(t.tipo(35999), tipo::vuoto);
  EXPECT_EQ(t.tipo(36000), tipo::vuoto);
  // The second curve starts behind the plan: it has no metre of its own.
  EXPECT_EQ(b.f.metro_tracciato, 35999);
  EXPECT_GT(punti(t)[751].x, 0.0);
}

TEST(LetturaLinea, WithoutAPlanCurvesAreNotHandledNorWarnedAbout) {
  banco b;
  b.scrivi(linea(righe({"curvad7,  500,  250", "[fine]"})));
  b.leggi(0);
  EXPECT_EQ(b.f.codice_errore, 0);  // the digit 7 is never looked at
  EXPECT_FALSE(b.f.tracciato.esiste());
  EXPECT_TRUE(b.f.avvisi.empty());
}

TEST(LetturaLinea, ThePlanStopsAtMetreOneMillion) {
  banco b;
  b.scrivi(righe({"[generale]", "lunghezza percorso, 1000000", "[curve]", "curvad5, 999990, 100", "[fine]"}));
  b.leggi(1);
  EXPECT_EQ(b.f.codice_errore, 103);
  EXPECT_EQ(b.f.metro_tracciato, 1000001);
  EXPECT_FALSE(b.c_e_linea());
  EXPECT_TRUE(b.c_e_servizio());
}

TEST(LetturaLinea, ALastLineIsHandledOnlyWhenItHasValues) {
  struct caso {
    std::string coda;
    int atteso;  // gradient byte of cell 5
  };
  const std::vector<caso> casi = {
      {"pendenza,  250,   -8", 92},       // no line end, no "[fine]"
      {"pendenza,  250,   -8\r\n", 92},
      {"pendenza", 100},                  // would read past the end if interpreted
      {"pendenza\r\n", 100},
  };
  for (const caso& c : casi) {
    banco b;
    b.scrivi(linea(righe({"pendenza, 0, 0"})) + c.coda);
    b.leggi();
    SCOPED_TRACE(c.coda);
    EXPECT_EQ(b.f.codice_errore, 0);
    EXPECT_EQ(b.f.griglia_celle[5].pendenza, c.atteso);
  }
}

TEST(LetturaLinea, SignBoardsTakeTheirCellAndSlotsFromEightyDown) {
  banco b;
  b.scrivi(linea(righe({"[cartelli]", "cartello_indicatore,  8800,   (     PRIMO   )(   CAVALCAVIA)(     8.800  )",
                        "cartello_indicatore,  -50,   (A)", "[fine]"})));
  b.leggi();
  ASSERT_EQ(b.f.codice_errore, 0);
  EXPECT_EQ(b.f.griglia_celle[177].tipo, tipo_cella::cartello);
  EXPECT_EQ(b.f.griglia_celle[177].valore_a, 80);
  EXPECT_EQ(b.f.voci[80].nome, "(     PRIMO   )(   CAVALCAVIA)(     8.800  )");
  EXPECT_EQ(b.f.griglia_celle[0].tipo, tipo_cella::cartello);  // R(-50 / 50 + 1) = 0
  EXPECT_EQ(b.f.voci[79].nome, "(A)");
  EXPECT_EQ(b.f.indice_cartelli, 78);
}

TEST(LetturaLinea, ABoardGoesOnAMontagnaMarker) {
  banco b;
  b.scrivi(linea(righe({"montagna,   1600,  1850,  12", "cartello_indicatore,  1700,   (X)", "[fine]"})));
  b.leggi();
  ASSERT_EQ(b.f.codice_errore, 0);
  EXPECT_EQ(b.f.griglia_celle[35].tipo, tipo_cella::cartello);
}

// Cells and slots the tables do not have: the board is refused like a
// position beyond the grid, and the service file is still read.
TEST(LetturaLinea, ABoardWithNoPlaceIsError15) {
  std::string ottanta;
  for (int i = 0; i < 81; ++i) ottanta += "cartello_indicatore, " + std::to_string(1000 + 100 * i) + ", (T)\r\n";
  struct caso {
    std::string nome, righe;
    int32_t posizione;
  };
  const std::vector<caso> casi = {
      {"below cell 0", "cartello_indicatore, -100, (T)\r\n", -100},
      {"81st board", ottanta, 9000},
  };
  for (const caso& c : casi) {
    banco b;
    b.scrivi(linea(c.righe + "[fine]\r\n"));
    b.leggi();
    SCOPED_TRACE(c.nome);
    EXPECT_EQ(b.f.codice_errore, 15);
    EXPECT_EQ(b.f.posizione_errore, c.posizione);
    EXPECT_FALSE(b.f.lettura_interrotta);
    EXPECT_FALSE(b.c_e_servizio());
    EXPECT_EQ(b.f.voci[0].nome, "");
  }
}

TEST(LetturaLinea, APositionBeyondTheGridEndsTheSectionsWithError15) {
  banco b;
  b.scrivi(linea(righe({"pendenza, 35900, 8", "pendenza, 35950, 9", "cartello_indicatore, 100, (X)", "[fine]"})),
           righe({"[generale]", "velocita, 0, 90", "[fine]"}));
  b.leggi();
  EXPECT_EQ(b.f.codice_errore, 15);
  EXPECT_EQ(b.f.posizione_errore, 35950);
  EXPECT_EQ(b.f.griglia_celle[3].tipo, 0);           // the board after it was not read
  EXPECT_EQ(b.f.griglia_celle[717].pendenza, 100);
  EXPECT_EQ(b.f.griglia_celle[718].pendenza, 108);  // the line was finished
  EXPECT_EQ(b.f.griglia_celle[717].velocita_limite, 18);  // and the service file read
  EXPECT_FALSE(b.c_e_linea());
  EXPECT_FALSE(b.c_e_servizio());
  EXPECT_FALSE(b.f.lettura_interrotta);
}

// Errors that end memorizza_dati while the line file is read: it is deleted,
// the service file is left alone.
TEST(LetturaLinea, ErrorsEndingTheReadingKeepTheServiceFile) {
  struct caso {
    std::string nome, testo;
    int32_t j, codice, posizione;
  };
  const std::string generale = "[generale]\r\nlunghezza percorso, 29000\r\n[curve]\r\n";
  const std::vector<caso> casi = {
      {"no [generale]", righe({"lunghezza percorso, 29000", "[fine]"}), 0, 102, -1},
      {"[generale] as the last line", righe({"x", "[generale]"}), 0, 102, -1},
      {"length", righe({"[generale]", "lunghezza percorso, 1000001", "[fine]"}), 0, 1, -1},
      {"curve digit", generale + righe({"curvad7,  500,  250", "[fine]"}), 1, 103, -1},
      {"board on a taken cell",
       generale + righe({"cartello_indicatore, 8800, (A)", "cartello_indicatore, 8800, (B)", "[fine]"}), 0, 6, 8800},
      {"boards pair on a taken cell",
       generale +
           righe({"cartello_indicatore, 600, (A)", "indicatori_vmax,  600,  90,  90,  90,  0,  ,  ,  ,  0", "[fine]"}),
       0, 21, 600},
  };
  for (const caso& c : casi) {
    banco b;
    b.f.posizione_errore = -1;
    b.scrivi(c.testo);
    b.leggi(c.j);
    SCOPED_TRACE(c.nome);
    EXPECT_EQ(b.f.codice_errore, c.codice);
    EXPECT_EQ(b.f.posizione_errore, c.posizione);
    EXPECT_TRUE(b.f.lettura_interrotta);
    EXPECT_FALSE(b.c_e_linea());
    EXPECT_TRUE(b.c_e_servizio());
  }
}

TEST(LetturaLinea, WithoutTheLineFileNothingIsRead) {
  banco b;
  b.scrivi("x");
  b.fs.files().erase(b.percorso_linea());
  b.leggi();
  EXPECT_EQ(b.f.codice_errore, 101);
  EXPECT_TRUE(b.c_e_servizio());
  EXPECT_FALSE(b.f.griglia_creata());
}

// Every failure the checks do not foresee ends in code 25, with both
// description files gone and the position untouched.
TEST(LetturaLinea, UnforeseenFailuresAreCode25) {
  struct caso {
    std::string nome, testo;
    int32_t j = 0;
    std::function<void(banco&)> prepara = [](banco&) {};
    int32_t posizione = 4321;
  };
  const std::string generale = "[generale]\r\nlunghezza percorso, 29000\r\n[curve]\r\n";
  const std::vector<caso> casi = {
      {"empty line file", ""},
      {"no service file", generale + "[fine]\r\n", 0, [](banco& b) { b.fs.files().erase(b.percorso_servizio()); }},
      {"length beyond a Long", righe({"[generale]", "lunghezza percorso, 3000000000", "[fine]"})},
      {"negative grid", righe({"[generale]", "lunghezza percorso, -8000", "[fine]"})},
      // Without a grid the gradient fails the range test first; its 15 is
      // replaced, its position stays.
      {"grid used before the length", righe({"[generale]", "[curve]", "pendenza, 250, -8", "[fine]"}), 0,
       [](banco&) {}, 250},
      {"line finished without a grid", righe({"[generale]", "[fine]", "x"})},
      {"past the end among hyphens", righe({"[generale]", "lunghezza percorso, 29000", "-", "-"})},
      {"curve past the plan's end", generale + "curvad5, 35800, 500\r\n[fine]\r\n", 1},
      {"board text too long", generale + "cartello_indicatore, 100, " + std::string(65536, 'X') + "\r\n[fine]\r\n"},
      {"gradient cells past the grid", generale + [] {
         std::string t;  // each line writes one cell, even on the same position
         for (int i = 0; i < 722; ++i) t += "pendenza, 50, 0\r\n";
         return t;
       }()},
      {"line file unreadable", generale + "[fine]\r\n", 0,
       [](banco& b) { b.fs.letture_rifiutate.insert(b.percorso_linea()); }},
      {"line file not deletable", generale + "[fine]\r\n", 0,
       [](banco& b) { b.fs.rimozioni_rifiutate.insert(b.percorso_linea()); }},
  };
  for (const caso& c : casi) {
    banco b;
    b.scrivi(c.testo);
    c.prepara(b);
    b.f.posizione_errore = 4321;
    b.leggi(c.j);
    SCOPED_TRACE(c.nome);
    EXPECT_EQ(b.f.codice_errore, 25);
    EXPECT_EQ(b.f.posizione_errore, c.posizione);
    EXPECT_TRUE(b.f.lettura_interrotta);
    if (b.fs.rimozioni_rifiutate.empty()) {
      EXPECT_FALSE(b.c_e_linea());
    }
    EXPECT_FALSE(b.c_e_servizio());
  }
}

TEST(LetturaLinea, ErrorsCarryTheLineOfTheirKey) {
  banco b;
  b.scrivi(linea(righe({"cartello_indicatore, 8800, (A)", "", "cartello_indicatore, 8800, (B)", "[fine]"})));
  b.leggi();
  ASSERT_FALSE(b.f.errori.empty());
  const errore_registrato& e = b.f.errori.back();
  EXPECT_EQ(e.codice, 6);
  EXPECT_EQ(e.posizione, 8800);
  EXPECT_EQ(e.origine, origine_errore::descrizione_linea);
  EXPECT_EQ(e.riga, 6);
}

TEST(LetturaLinea, UnknownFirstFieldsAreWarnedAbout) {
  banco b;
  b.scrivi(righe({"[generale]", "lunghezza percorso, 29000, 5", "sfondo unno, 3", "[curve]", "pendnza, 250, 8", "[fine]"}));
  b.leggi();
  ASSERT_EQ(b.f.codice_errore, 0);
  using voce_avviso = std::tuple<origine_errore, int, std::string>;
  std::vector<voce_avviso> avvisi;
  for (const avviso_registrato& a : b.f.avvisi) avvisi.emplace_back(a.origine, a.riga, a.campo);
  const auto L = origine_errore::descrizione_linea;
  const std::vector<voce_avviso> attesi = {{L, 2, "5"},       {L, 3, "sfondo unno"}, {L, 3, "3"},
                                           {L, 5, "pendnza"}, {L, 5, "250"},         {L, 5, "8"}};
  EXPECT_EQ(avvisi, attesi);
  EXPECT_EQ(b.f.griglia_celle[5].pendenza, 100);
}

}  // namespace
}  // namespace binario
