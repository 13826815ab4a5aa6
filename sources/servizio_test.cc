// The service description file: train values, profiles, stations, marks and
// the errors of its reading.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/form1.h"
#include "testing/compilazione_prova.h"

namespace binario {
namespace {

using prova_lettura::banco;
using prova_lettura::linea;
using prova_lettura::righe;

std::string servizio(const std::string& corpo) { return "[generale]\r\n" + corpo + "[fine]\r\n"; }

// A station row with column 5 set, so that its clearing shows.
std::string stazione(int p, int tipo, int zona, int colonna_6 = 0, const std::string& nome = "BORGO") {
  return "stazione, " + std::to_string(p) + ", " + std::to_string(tipo) + ", " + std::to_string(zona) + ", 0, 1, " +
         std::to_string(colonna_6) + ", 0,0,0, 0,0,0, 0, 10, 30, 0, " + nome + "\r\n";
}

// The first station of the built-in content, as its writer lays it out.
const std::string kPrimaStazione =
    "stazione,       0,  8,  300,  1, 0, 0,  4,1,0,  2,1,1,    1,  10,30, 0, VALMERA PORTA ALTA\r\n";

std::string linea_con_cartelli(int n) {
  std::string t;
  for (int i = 0; i < n; ++i) t += "cartello_indicatore, " + std::to_string(5000 + 100 * i) + ", (T)\r\n";
  return linea(t + "[fine]\r\n");
}

TEST(LetturaServizio, SpeedsFillTheCellsInUnitsOfFive) {
  banco b;
  b.scrivi(linea("[fine]\r\n"), servizio(righe({"velocita,       0,    90", "velocita,   24550,    80"})));
  b.leggi();
  ASSERT_EQ(b.f.codice_errore, 0);
  for (int i = 0; i <= 720; ++i) {
    const int atteso = i <= 490 ? 18 : (i <= 717 ? 16 : 0);
    EXPECT_EQ(b.f.griglia_celle[i].velocita_limite, atteso) << "cella " << i;
  }
}

TEST(LetturaServizio, TrainValuesClockAndAdhesion) {
  banco b;
  b.scrivi(linea("[fine]\r\n"), servizio(righe({"numero vetture,    3", "percentuale massa frenata,    130",
                                                 "sabbia,    100", "orologio,    10              29            40 ",
                                                 "[aderenze]", "aderenza,   0,    100", "aderenza, 1000, 300"})));
  b.leggi();
  ASSERT_EQ(b.f.codice_errore, 0);
  EXPECT_EQ(b.f.voci[84].posizione, 3);
  EXPECT_EQ(b.f.voci[84].inizio_zona, 130);
  EXPECT_EQ(b.f.voci[86].colonna_7, 100);
  EXPECT_EQ(b.f.voci[86].colonna_10, 10);
  EXPECT_EQ(b.f.voci[86].colonna_11, 29);
  EXPECT_EQ(b.f.voci[86].colonna_12, 40);
  EXPECT_EQ(b.f.griglia_celle[19].aderenza, 100);
  EXPECT_EQ(b.f.griglia_celle[20].aderenza, 44);  // 300 keeps its low 8 bits
  EXPECT_EQ(b.f.griglia_celle[717].aderenza, 44);
  EXPECT_EQ(b.f.griglia_celle[718].aderenza, 0);
}

TEST(LetturaServizio, TheFirstStationOfTheBuiltInContent) {
  banco b;
  b.scrivi(linea("[fine]\r\n"), servizio(kPrimaStazione));
  b.leggi();
  ASSERT_EQ(b.f.codice_errore, 0);
  const voce& v = b.f.voci[1];
  EXPECT_EQ(v.tipo, 8);
  EXPECT_EQ(v.posizione, 0);
  EXPECT_EQ(v.inizio_zona, -300);
  EXPECT_EQ(v.fine_zona, 300);
  EXPECT_EQ(v.orario, 37800);
  EXPECT_EQ(v.nome, "VALMERA PORTA ALTA");
  EXPECT_EQ(v.colonna_4, 1);
  EXPECT_EQ(v.colonna_7, 4);
  EXPECT_EQ(v.colonna_8, 1);
  EXPECT_EQ(v.colonna_10, 2);
  EXPECT_EQ(v.colonna_13, 1);
  const auto& g = b.f.griglia_celle;
  EXPECT_EQ(g[5].tipo, tipo_cella::fermata);
  EXPECT_EQ(g[5].valore_a, 1);
  EXPECT_EQ(g[4].codice_avviso, 81);
  EXPECT_EQ(g[3].codice_avviso, 82);
  EXPECT_EQ(g[2].codice_avviso, 83);
  EXPECT_EQ(g[1].codice_avviso, 0);
  EXPECT_EQ(b.f.indice_stazione, 2);
}

// The row under test is the second station. The first one, at 0, is long
// enough to keep column 5 and lengthened by column 6, yet both are cleared
// for it once its zone is computed.
TEST(LetturaServizio, StationZonesFollowTheKind) {
  struct caso {
    int tipo, zona, colonna_6;
    int32_t inizio, fine;
    int colonna_5_dopo, colonna_6_dopo;
    int fermata;  // the stop cell, -1 for none
    bool avvisi;
  };
  const std::vector<caso> casi = {
      {12, 300, 0, 2150, 2450, 0, 0, 48, true},
      {12, 300, 1, 2150, 2500, 0, 1, 49, true},
      {12, 600, 0, 2000, 2600, 1, 0, 51, true},  // 600 m keeps column 5
      {5, 300, 1, 2000, 2450, 0, 0, 48, false},
      {7, 300, 1, 2000, 2600, 0, 0, 51, true},
      {28, 300, 0, 2150, 2450, 0, 0, -1, false},
  };
  for (const caso& c : casi) {
    banco b;
    b.scrivi(linea("[fine]\r\n"), servizio(stazione(0, 12, 600, 1) + stazione(2300, c.tipo, c.zona, c.colonna_6)));
    b.leggi();
    SCOPED_TRACE(testing::Message() << "tipo " << c.tipo << " zona " << c.zona << " colonna 6 " << c.colonna_6);
    ASSERT_EQ(b.f.codice_errore, 0);
    const voce& v = b.f.voci[2];
    EXPECT_EQ(v.inizio_zona, c.inizio);
    EXPECT_EQ(v.fine_zona, c.fine);
    EXPECT_EQ(v.colonna_5, c.colonna_5_dopo);
    EXPECT_EQ(v.colonna_6, c.colonna_6_dopo);
    EXPECT_EQ(b.f.voci[1].fine_zona, 350);
    EXPECT_EQ(b.f.voci[1].colonna_5, 0);
    EXPECT_EQ(b.f.voci[1].colonna_6, 0);
    const auto& g = b.f.griglia_celle;
    int fermate = 0, avvisi = 0;
    for (size_t i = 10; i < g.size(); ++i) {
      fermate += g[i].tipo == tipo_cella::fermata;
      avvisi += g[i].codice_avviso != 0;
    }
    EXPECT_EQ(fermate, c.fermata < 0 ? 0 : 1);
    if (c.fermata >= 0) {
      EXPECT_EQ(g[c.fermata].tipo, tipo_cella::fermata);
      EXPECT_EQ(g[c.fermata].valore_a, 2);
    }
    EXPECT_EQ(avvisi, c.avvisi ? 4 : 0);
    if (c.avvisi) {
      EXPECT_EQ(g[c.fermata - 4].codice_avviso, 84);
    }
  }
}

TEST(LetturaServizio, StationChecksEndTheReading) {
  struct caso {
    std::string nome, linea, corpo;
    int32_t codice, posizione;
  };
  const std::string vuota = linea("[fine]\r\n");
  const std::vector<caso> casi = {
      {"position not a multiple of 50", vuota, stazione(2325, 12, 300), 8, 2325},
      {"zone not a multiple of 100", vuota, stazione(2300, 12, 250), 9, 2300},
      {"too close to the previous", vuota, stazione(0, 8, 300) + stazione(2300, 12, 300) + stazione(2800, 12, 300),
       22, 2800},
      {"300 m from the previous", vuota, stazione(0, 8, 300) + stazione(2300, 12, 300) + stazione(2900, 12, 300),
       22, 2900},
      {"stop before metre 100", vuota, stazione(0, 12, 100), 24, -1},
      {"no slot below the boards", linea_con_cartelli(78), stazione(0, 8, 300), 10, -1},
      {"mark on a stop cell", vuota, stazione(0, 8, 300) + "abbattimento, 250, 3\r\n", 7, 250},
      {"signal on a stop cell", vuota, stazione(0, 8, 300) + "segnale, 200, 2, 4, 0,  0, 0,    0,  0,0,0, 0\r\n", 16,
       200},
  };
  for (const caso& c : casi) {
    banco b;
    b.f.posizione_errore = -1;
    b.scrivi(c.linea, servizio(c.corpo + "sabbia, 9\r\n"));
    b.leggi();
    SCOPED_TRACE(c.nome);
    EXPECT_EQ(b.f.codice_errore, c.codice);
    EXPECT_EQ(b.f.posizione_errore, c.posizione);
    EXPECT_TRUE(b.f.lettura_interrotta);
    EXPECT_FALSE(b.c_e_servizio());
    EXPECT_EQ(b.f.voci[86].colonna_7, 0);  // the line after it was never read
    EXPECT_EQ(b.f.griglia_celle[700].velocita_limite, 0);  // nor the profiles finished
  }
}

TEST(LetturaServizio, StationsInOrderAndStopsJustPastMetre100Pass) {
  banco b;
  b.scrivi(linea("[fine]\r\n"), servizio(stazione(0, 12, 300) + stazione(2300, 12, 300) + stazione(3150, 28, 300)));
  b.leggi();
  EXPECT_EQ(b.f.codice_errore, 0);
  EXPECT_EQ(b.f.voci[1].fine_zona, 150);
  EXPECT_EQ(b.f.griglia_celle[2].tipo, tipo_cella::fermata);
  EXPECT_EQ(b.f.voci[3].inizio_zona, 3000);
  EXPECT_EQ(b.f.indice_stazione, 4);
}

// Stations need 350 m between the end of one zone and the start of the next.
TEST(LetturaServizio, A350MetreGapBetweenStationsIsEnough) {
  banco b;
  b.scrivi(linea("[fine]\r\n"), servizio(stazione(0, 8, 300) + stazione(2300, 12, 300) + stazione(2950, 12, 300)));
  b.leggi();
  EXPECT_EQ(b.f.codice_errore, 0);
  EXPECT_EQ(b.f.voci[3].inizio_zona - b.f.voci[2].fine_zona, 350);
}

// Eighty boards fill every slot: the first station would overwrite the last
// board's text.
TEST(LetturaServizio, AStationNeverOverwritesABoardText) {
  banco b;
  b.scrivi(linea_con_cartelli(80), servizio(stazione(0, 8, 300)));
  b.leggi();
  EXPECT_EQ(b.f.codice_errore, 10);
  EXPECT_EQ(b.f.voci[1].nome, "(T)");
  EXPECT_EQ(b.f.voci[1].posizione, 0);
  EXPECT_EQ(b.f.voci[1].tipo, 0);
}

TEST(LetturaServizio, AStationBeyondTheGridIsError15WithItsPosition) {
  struct caso {
    int p;
    int32_t codice;
  };
  for (const caso& c : std::vector<caso>{{35200, 0}, {35300, 15}}) {
    banco b;
    b.scrivi(linea("[fine]\r\n"), servizio("velocita, 0, 90\r\n" + stazione(c.p, 28, 300) + "sabbia, 7\r\n"));
    b.leggi();
    SCOPED_TRACE(c.p);
    EXPECT_EQ(b.f.codice_errore, c.codice);
    EXPECT_EQ(b.f.voci[86].colonna_7, c.codice == 0 ? 7 : 0);
    EXPECT_EQ(b.f.griglia_celle[717].velocita_limite, 18);  // finished either way
    EXPECT_FALSE(b.c_e_servizio());
    EXPECT_FALSE(b.f.lettura_interrotta);
  }
}

TEST(LetturaServizio, CodeChangeMarks) {
  struct caso {
    std::string riga;
    int cella, tipo, valore;
    int32_t codice = 0;
  };
  const std::vector<caso> casi = {
      {"abbattimento, 1000, 3", 20, tipo_cella::abbattimento, 3},
      {"ABBATTIMENTO, 1000, 70000", 20, tipo_cella::abbattimento, 4464},  // low 16 bits
      {"abbattimento, 1000, 0", 20, tipo_cella::abbattimento_senza_codice, 0},
      {"abbattimento, 1000, -2", 20, tipo_cella::abbattimento_senza_codice, 0},
      {"abbattimento, -25, 3", 0, tipo_cella::abbattimento, 3},  // R(-0.5) = 0
      {"abbattimento, -50, 3", 0, 0, 0, 15},                     // no cell -1
  };
  for (const caso& c : casi) {
    banco b;
    b.scrivi(linea("[fine]\r\n"), servizio(c.riga + "\r\n"));
    b.leggi();
    SCOPED_TRACE(c.riga);
    EXPECT_EQ(b.f.codice_errore, c.codice);
    EXPECT_EQ(b.f.griglia_celle[c.cella].tipo, c.tipo);
    EXPECT_EQ(b.f.griglia_celle[c.cella].valore_a, c.valore);
    if (c.codice == 15) {
      EXPECT_EQ(b.f.posizione_errore, -50);
    }
  }
}

TEST(LetturaServizio, SignalsAndSlowdownsArePlaced) {
  banco b;
  b.scrivi(linea("[fine]\r\n"), servizio(righe({"rallentamento,   14250,    30, 1550, 0,  0,  0",
                                                 "segnale,     550,   2, 4, 0,  0, 0,    0,  0,0,0, 0"})));
  b.leggi();
  ASSERT_EQ(b.f.codice_errore, 0);
  EXPECT_EQ(b.f.griglia_celle[12].tipo, tipo_cella::segnale);
  EXPECT_EQ(b.f.griglia_celle[286].tipo, tipo_cella::inizio_rallentamento);
}

// An error 15 of the line file lets the service file be read, up to the
// first placement call, which sees a code and ends the reading there.
TEST(LetturaServizio, AnError15OfTheLineFileStopsAtTheFirstSignal) {
  banco b;
  b.scrivi(linea("pendenza, 35950, 0\r\n[fine]\r\n"),
           servizio(righe({"sabbia, 5", "segnale, 550, 2, 4, 0,  0, 0,    0,  0,0,0, 0", "sabbia, 6"})));
  b.leggi();
  EXPECT_EQ(b.f.codice_errore, 15);
  EXPECT_EQ(b.f.posizione_errore, 550);
  EXPECT_EQ(b.f.voci[86].colonna_7, 5);
  EXPECT_TRUE(b.f.lettura_interrotta);
  EXPECT_FALSE(b.c_e_servizio());
  EXPECT_EQ(b.f.griglia_celle[0].velocita_limite, 0);
  EXPECT_EQ(b.f.griglia_celle[0].aderenza, 0);
  // The list keeps the first 15 with its own metre and line, then the stop.
  ASSERT_EQ(b.f.errori.size(), 2u);
  EXPECT_EQ(b.f.errori[0].origine, origine_errore::descrizione_linea);
  EXPECT_EQ(b.f.errori[0].posizione, 35950);
  EXPECT_EQ(b.f.errori[1].origine, origine_errore::descrizione_servizio);
  EXPECT_EQ(b.f.errori[1].codice, 15);
  EXPECT_EQ(b.f.errori[1].posizione, 550);
  EXPECT_EQ(b.f.errori[1].causa, 0u);
}

TEST(LetturaServizio, KilometreReferencesAreCheckedLastAndWin) {
  struct caso {
    std::string corpo;
    int32_t codice, posizione;
  };
  const std::vector<caso> casi = {{"", 2, -1}, {"velocita, 40000, 90\r\n", 2, 40000}};
  for (const caso& c : casi) {
    banco b;
    b.f.posizione_errore = -1;
    b.scrivi(righe({"[generale]", "lunghezza percorso, 29000", "progressiva chilometrica uno, 0, 75, 0", "[fine]"}),
             servizio(c.corpo));
    b.leggi();
    SCOPED_TRACE(c.corpo);
    EXPECT_EQ(b.f.codice_errore, c.codice);
    EXPECT_EQ(b.f.posizione_errore, c.posizione);
    EXPECT_FALSE(b.f.lettura_interrotta);
  }
}

TEST(LetturaServizio, WithoutGeneraleNoKeyIsHandled) {
  for (const std::string& testo : {std::string("velocita, 0, 90\r\naderenza, 0, 100\r\n[fine]\r\n"), std::string()}) {
    banco b;
    b.scrivi(linea("[fine]\r\n"), testo);
    b.leggi();
    EXPECT_EQ(b.f.codice_errore, 0);
    EXPECT_EQ(b.f.griglia_celle[10].velocita_limite, 0);
    EXPECT_EQ(b.f.griglia_celle[10].aderenza, 0);
    EXPECT_FALSE(b.c_e_servizio());
  }
}

TEST(LetturaServizio, UnforeseenFailuresAreCode25) {
  const std::vector<std::pair<std::string, std::string>> casi = {
      {"Byte column above 255", stazione(0, 256, 300)},
      {"Integer above 32767", "orologio, 10 29 32768\r\n"},
      {"speed whose fifth passes 255", "velocita, 0, 1280\r\n"},
      {"negative speed", "velocita, 0, -5\r\n"},
      {"time of day beyond a Long",
       "stazione, 0, 8, 300, 0, 0, 0, 0,0,0, 0,0,0, 0, 1000000, 0, 0, X\r\n"},
      {"station name too long", stazione(0, 8, 300, 0, std::string(65536, 'N'))},
      {"zone beyond the grid", stazione(35000, 12, 10000)},
      {"row cut by the end of the file", "stazione, 0, 8"},
  };
  for (const auto& [nome, corpo] : casi) {
    banco b;
    b.f.posizione_errore = 4321;
    b.scrivi(linea("[fine]\r\n"), "[generale]\r\n" + corpo);
    b.leggi();
    SCOPED_TRACE(nome);
    EXPECT_EQ(b.f.codice_errore, 25);
    EXPECT_EQ(b.f.posizione_errore, 4321);
    EXPECT_TRUE(b.f.lettura_interrotta);
    EXPECT_FALSE(b.c_e_linea());
    EXPECT_FALSE(b.c_e_servizio());
  }
}

TEST(LetturaServizio, ErrorsAndWarningsNameTheServiceLine) {
  banco b;
  b.scrivi(linea("[fine]\r\n"),
           righe({"[generale]", "numero vetture, 3, 4", "[segnali]", "segnal, 550", stazione(2325, 12, 300)}));
  b.leggi();
  ASSERT_EQ(b.f.avvisi.size(), 3u);
  EXPECT_EQ(b.f.avvisi[0].campo, "4");
  EXPECT_EQ(b.f.avvisi[0].riga, 2);
  EXPECT_EQ(b.f.avvisi[1].campo, "segnal");
  EXPECT_EQ(b.f.avvisi[2].campo, "550");
  EXPECT_EQ(b.f.avvisi[2].riga, 4);
  EXPECT_EQ(b.f.avvisi[2].origine, origine_errore::descrizione_servizio);
  ASSERT_FALSE(b.f.errori.empty());
  EXPECT_EQ(b.f.errori.back().codice, 8);
  EXPECT_EQ(b.f.errori.back().riga, 5);
  EXPECT_EQ(b.f.errori.back().origine, origine_errore::descrizione_servizio);
}

// The built-in content reads without any error or stray line, plan or not.
TEST(LetturaServizio, TheBuiltInContentReadsCleanly) {
  for (int32_t j : {0, 1}) {
    banco b;
    b.f.nome_linea = "Valmera-Lusa";
    b.f.numero_treno = "019";
    ASSERT_TRUE(b.f.dati_linea().is_ok());
    ASSERT_TRUE(b.f.dati_treno().is_ok());
    b.leggi(j);
    SCOPED_TRACE(j);
    EXPECT_EQ(b.f.codice_errore, 0);
    EXPECT_TRUE(b.f.avvisi.empty());
    EXPECT_EQ(b.f.griglia_celle.size(), 721u);
    EXPECT_EQ(b.f.indice_cartelli, 73);
    EXPECT_EQ(b.f.indice_stazione, 14);
    EXPECT_TRUE(b.fs.files().empty());
    const std::vector<int> cartelli = {177, 364, 482, 495, 503, 511, 524};
    for (int c : cartelli) EXPECT_EQ(b.f.griglia_celle[c].tipo, tipo_cella::cartello) << c;
    EXPECT_EQ(b.f.voci[86].colonna_11, 29);
  }
}

}  // namespace
}  // namespace binario
