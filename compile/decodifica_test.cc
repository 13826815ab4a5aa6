#include "compile/decodifica.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "base/memfs.h"
#include "base/scrittura.h"
#include "compile/output.h"
#include "testing/compilazione_prova.h"

namespace binario {
namespace {

// The bytes that the compile's own writers produce.
std::string scritto(const std::function<void(Scrittore&)>& produci) {
  MemFileSystem fs;
  EXPECT_TRUE(sostituisci_file(fs, "f", produci).is_ok());
  return fs.files().at("f");
}

tabella_voci voci_di_prova() {
  tabella_voci voci{};
  voci[1] = {8, -300, 300, 0, 1, "VALMERA PORTA ALTA", 7, -8, 10, 11, 12, 9, 13, 6, 5, 37800};
  voci[80].nome = "(     PRIMO   )(   CAVALCAVIA)";
  voci[85].nome = "Valmera-Lusa";
  voci[85].colonna_7 = 610;
  voci[85].orario = 82875;
  voci[86].nome = std::string("019\xE8", 4);  // a name byte above 127 stays one byte
  voci[86].colonna_10 = -32768;
  return voci;
}

std::string bytes_voci(const tabella_voci& voci) {
  return scritto([&](Scrittore& w) {
    for (const voce& v : voci) scrivi_record_voce(w, v);
  });
}

TEST(BinarioDecodifica, RileggeLeVociScritte) {
  const tabella_voci voci = voci_di_prova();
  const std::vector<voce> letti = decodifica_voci(bytes_voci(voci));
  ASSERT_EQ(letti.size(), voci.size());
  for (size_t i = 0; i < voci.size(); ++i) EXPECT_EQ(letti[i], voci[i]) << "voce " << i;
}

TEST(BinarioDecodifica, RileggeLaGrigliaScritta) {
  std::vector<cella> celle(4);
  celle[1] = {1, 5121, -2502, 0, 21, 255, 64, 3, 18, 92, 100};
  celle[3] = {12, 180, 0, -1, 32767, 0, 0, 0, 0, 0, 0};
  const std::string dati = scritto([&](Scrittore& w) {
    for (const cella& c : celle) scrivi_record_cella(w, c);
  });
  EXPECT_EQ(decodifica_griglia(dati), celle);
}

TEST(BinarioDecodifica, RileggeIlTracciatoScritto) {
  using tipo = tabella_tracciato::tipo_elemento;
  tabella_tracciato t;
  t.crea(5);
  t.poni_origine();
  t.avanza(0.0001, 1);
  t.avanza(-0.003, 1);  // metres 4 and 5 stay empty
  const tracciato_decodificato d =
      decodifica_tracciato(scritto([&](Scrittore& w) { scrivi_record_tracciato(w, t); }));
  const auto p = prova_lettura::punti(t);
  ASSERT_EQ(d.x.size(), 6u);
  ASSERT_EQ(d.y.size(), 6u);
  for (int32_t m = 0; m <= 5; ++m) {
    const auto i = static_cast<size_t>(m);
    const double vx = t.tipo(m) == tipo::vuoto ? 0 : p[i].x;
    const double vy = t.tipo(m) == tipo::vuoto ? 0 : p[i].y;
    EXPECT_EQ(d.x[i], (elemento_tracciato{t.tipo(m), vx})) << "metro " << m;
    EXPECT_EQ(d.y[i], (elemento_tracciato{t.tipo(m), vy})) << "metro " << m;
  }
  EXPECT_EQ(d.x[1].tipo, tipo::intero);
  EXPECT_EQ(d.y[1].valore, 1);
  EXPECT_EQ(d.x[4].tipo, tipo::vuoto);
}

// A malformed file names the byte where the reading failed.
TEST(BinarioDecodifica, FileMalformati) {
  const std::string voci = bytes_voci(voci_di_prova());
  const std::string cella15(15, '\0');
  // Element tags of the plan: integer 0 at metre 0, then the bad ones.
  const std::string intero("\x02\x00\x00\x00", 4);
  struct Caso {
    const char* nome;
    tipo_file tipo;
    std::string dati;
    size_t offset;
    std::string messaggio;
  };
  const std::vector<Caso> casi = {
      {"griglia vuota", tipo_file::griglia, "", 0, "il file della griglia è vuoto"},
      {"cella incompleta", tipo_file::griglia, cella15 + cella15 + std::string(8, '\0'), 30,
       "cella 2: record incompleto: servono 15 byte, ne restano 8"},
      {"voci troncate nel nome", tipo_file::voci, voci.substr(0, 34 + 16 + 3), 34 + 16,
       "voce 1: campo nome incompleto: servono 18 byte, ne restano 3"},
      {"voci troncate nella lunghezza del nome", tipo_file::voci, voci.substr(0, 34 + 15), 34 + 14,
       "voce 1: campo lunghezza di nome incompleto: servono 2 byte, ne restano 1"},
      {"voci senza l'ultima", tipo_file::voci, voci.substr(0, voci.size() - 38), voci.size() - 38,
       "il file finisce dopo 86 voci; un file delle voci ne ha 87"},
      {"voci con byte in più", tipo_file::voci, voci + "xy", voci.size(), "2 byte in più dopo la voce 86"},
      {"tracciato vuoto", tipo_file::tracciato, "", 0, "il file del tracciato è vuoto"},
      {"tipo sconosciuto", tipo_file::tracciato, intero + std::string("\x03\x00", 2), 4,
       "elemento 1: tipo 3 sconosciuto (validi 0, 2 e 5)"},
      {"reale troncato", tipo_file::tracciato, intero + std::string("\x05\x00\x01\x02", 4), 6,
       "elemento 1: valore reale incompleto: servono 8 byte, ne restano 2"},
      {"colonne diverse", tipo_file::tracciato, intero + intero + intero, 12,
       "numero di elementi dispari (3): le colonne x e y devono avere gli stessi metri"},
  };
  for (const Caso& c : casi) {
    SCOPED_TRACE(c.nome);
    try {
      switch (c.tipo) {
        case tipo_file::voci: decodifica_voci(c.dati); break;
        case tipo_file::griglia: decodifica_griglia(c.dati); break;
        case tipo_file::tracciato: decodifica_tracciato(c.dati); break;
      }
      ADD_FAILURE() << "decodificato senza errore";
    } catch (const errore_decodifica& e) {
      EXPECT_EQ(e.offset(), c.offset);
      EXPECT_EQ(std::string(e.what()), c.messaggio);
    }
  }
}

TEST(BinarioDecodifica, TipoDalNome) {
  EXPECT_EQ(tipo_da_nome("d/Valmera-Lusa_linea.dat"), tipo_file::tracciato);
  EXPECT_EQ(tipo_da_nome("d/Valmera-Lusa_019.dat"), tipo_file::griglia);
  EXPECT_EQ(tipo_da_nome("Valmera-Lusa_019.sim"), tipo_file::voci);
  EXPECT_EQ(tipo_da_nome("Valmera-Lusa_linea.txt"), std::nullopt);
}

}  // namespace
}  // namespace binario
