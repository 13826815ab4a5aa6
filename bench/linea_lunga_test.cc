#include "bench/linea_lunga.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "base/memfs.h"

namespace binario::banco {
namespace {

size_t conta(const std::string& testo, const std::string& chiave) {
  size_t n = 0;
  for (size_t p = testo.find("\r\n" + chiave); p != std::string::npos; p = testo.find("\r\n" + chiave, p + 1)) ++n;
  return n;
}

size_t celle_di_tipo(const Form1& form, uint8_t tipo) {
  size_t n = 0;
  for (const cella& c : form.griglia_celle) n += c.tipo == tipo ? 1 : 0;
  return n;
}

// A generated line is only worth measuring if the compile takes all of it:
// no error, and every signal, slowdown, station and sign board on the grid.
TEST(LineaLunga, SiCompilaSenzaErroriConOgniElemento) {
  for (int32_t metri : {10'000, 100'000, kMetriMassimi}) {
    SCOPED_TRACE(metri);
    const testi_linea testi = genera_linea_lunga(metri);
    MemFileSystem fs;
    auto form = nuovo_form(fs, "/d");
    ASSERT_TRUE(compila(*form, testi).is_ok());
    EXPECT_EQ(form->codice_errore, 0) << "at " << form->posizione_errore << " m";

    const auto celle = static_cast<size_t>(std::nearbyint((metri + 7000) / 50.0)) + 1;
    ASSERT_EQ(form->griglia_celle.size(), celle);
    EXPECT_EQ(celle_di_tipo(*form, tipo_cella::segnale), conta(testi.servizio, "segnale,"));
    const size_t rallentamenti = conta(testi.servizio, "rallentamento,");
    EXPECT_GE(rallentamenti, 1u);
    EXPECT_EQ(celle_di_tipo(*form, tipo_cella::inizio_rallentamento), rallentamenti);
    EXPECT_EQ(celle_di_tipo(*form, tipo_cella::cartello), conta(testi.linea, "cartello_indicatore,"));
    EXPECT_GT(celle_di_tipo(*form, tipo_cella::abbattimento), rallentamenti);

    const size_t stazioni = conta(testi.servizio, "stazione,");
    EXPECT_GE(stazioni, 3u);
    EXPECT_EQ(form->voci[stazioni].nome.empty(), false);
    EXPECT_TRUE(form->voci[stazioni + 1].nome.empty());

    const auto piano = fs.files().at(form->percorso("Valmera-Lusa_linea.dat"));
    EXPECT_EQ(piano.size(), 20u * static_cast<size_t>(metri + 7000) - 36);
  }
}

TEST(LineaLunga, LunghezzaFuoriDaiLimitiRifiutata) {
  for (int32_t metri : {9'999, kMetriMassimi + 1}) EXPECT_THROW(genera_linea_lunga(metri), std::invalid_argument);
}

}  // namespace
}  // namespace binario::banco
