#include "tools/dump.h"

#include <gtest/gtest.h>

#include <sstream>
#include <utility>

namespace binario {
namespace {

TEST(BinarioDump, UnaRigaPerRecordConINomiDeiCampi) {
  voce v;
  v.tipo = 8;
  v.inizio_zona = -300;
  v.nome = "LUSA \"S.\" \xC8\x01";  // quote, Windows-1252 È, a control byte
  v.orario = 37800;
  EXPECT_EQ(riga_voce(1, v),
            "voce 1: tipo=8 inizio_zona=-300 fine_zona=0 posizione=0 colonna_4=0 nome=\"LUSA \\\"S.\\\" È\\x01\" "
            "colonna_7=0 colonna_8=0 colonna_10=0 colonna_11=0 colonna_12=0 colonna_9=0 colonna_13=0 colonna_6=0 "
            "colonna_5=0 orario=37800");
  const cella c{1, 5121, -2502, 0, 21, 101, 64, 3, 18, 92, 100};
  EXPECT_EQ(riga_cella(1, c),
            "cella 1: tipo=1 valore_a=5121 valore_b=-2502 valore_c=0 valore_d=21 tempo_segnale=101 "
            "codice_avviso=64 tipo_montagna=3 velocita_limite=18 pendenza=92 aderenza=100");
  using tipo = tabella_tracciato::tipo_elemento;
  EXPECT_EQ(riga_metro(1, {tipo::intero, 0}, {tipo::intero, 1}), "metro 1: x=0 y=1");
  EXPECT_EQ(riga_metro(2, {tipo::reale, 0}, {tipo::reale, 2}), "metro 2: x=0.0 y=2.0");
  EXPECT_EQ(riga_metro(3, {tipo::reale, 0.0001}, {tipo::vuoto, 0}), "metro 3: x=1e-04 y=vuoto");
}

TEST(BinarioDump, JsonDelTracciato) {
  // x: integer 0, real 0.5; y: integer 1, empty.
  const std::string dati("\x02\x00\x00\x00\x05\x00\x00\x00\x00\x00\x00\x00\xE0\x3F"
                         "\x02\x00\x01\x00\x00\x00",
                         20);
  std::ostringstream out;
  scrivi_dump(dati, tipo_file::tracciato, true, out);
  EXPECT_EQ(nlohmann::json::parse(out.str()),
            nlohmann::json::parse(R"([{"metro":0,"x":0,"y":1,"tipo_x":2,"tipo_y":2},
                                      {"metro":1,"x":0.5,"y":null,"tipo_x":5,"tipo_y":0}])"));
}

// The records go out one by one; the text must still be what one dump of
// the whole array gives, for every kind of file.
TEST(BinarioDump, JsonInStreamingComeLArrayIntero) {
  const std::string griglia(2 * kByteCella, '\x01');
  const std::string tracciato("\x02\x00\x00\x00\x05\x00\x00\x00\x00\x00\x00\x00\xE0\x3F"
                              "\x02\x00\x01\x00\x00\x00",
                              20);
  for (const auto& [dati, tipo] : {std::pair{griglia, tipo_file::griglia}, std::pair{tracciato, tipo_file::tracciato}}) {
    std::ostringstream out;
    scrivi_dump(dati, tipo, true, out);
    EXPECT_EQ(out.str(), nlohmann::json::parse(out.str()).dump(1) + "\n");
  }
}

}  // namespace
}  // namespace binario
