#include "tools/messaggi.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace binario {
namespace {

TEST(BinarioMessaggi, OgniCodiceHaIlSuoMessaggio) {
  std::set<std::string_view> visti;
  for (int32_t codice : codici_compilazione()) {
    const std::string_view m = messaggio_errore(codice);
    EXPECT_NE(m, kMessaggioCodiceSconosciuto) << codice;
    EXPECT_TRUE(visti.insert(m).second) << "codice " << codice << " ripete il messaggio di un altro";
  }
  for (int32_t fatale : {1250, 1251}) EXPECT_NE(messaggio_errore(fatale), kMessaggioCodiceSconosciuto) << fatale;
}

TEST(BinarioMessaggi, CodiciCheLaCompilazioneNonRegistra) {
  for (int32_t codice : {0, 14, 23, 26, 100, 104, 1249, -1}) {
    EXPECT_EQ(messaggio_errore(codice), kMessaggioCodiceSconosciuto) << codice;
  }
}

}  // namespace
}  // namespace binario
