#include "sources/campi.h"
#include "sources/chiavi.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/status.h"
#include "sources/chiavi.h"

namespace binario {
namespace {

TEST(Campi, TextFieldsRunToACommaOrTheLineEnd) {
  struct caso {
    std::string testo;
    std::vector<std::string> campi;
  };
  const std::vector<caso> casi = {
      {"[fine]\r\n", {"[fine]"}},
      {"pendenza,  250,   -8\r\n", {"pendenza", "250", "-8"}},
      {"   a b  ,c\r\n", {"a b  ", "c"}},         // leading blanks only are dropped
      {"\"x, y\" z ,w\r\n", {"x, y", "w"}},        // a quoted field may hold commas
      {"\"due\r\nrighe\",k\r\n", {"due\r\nrighe", "k"}},
      {"a\r\n\r\nb\r\n", {"a", "", "b"}},          // a blank line is an empty field
      {"a,\r\nb\r\n", {"a", "", "b"}},             // so is the nothing after a final comma
      {"a\nb\rc", {"a", "b", "c"}},                // LF and CR alone end lines too
      {"\t x\r\n", {"x"}},
  };
  for (const caso& c : casi) {
    lettore_campi l(c.testo);
    std::vector<std::string> letti;
    while (!l.fine()) letti.push_back(l.leggi_testo());
    EXPECT_EQ(letti, c.campi) << c.testo;
  }
}

TEST(Campi, NumbersAreSeparatedByCommasOrBlanks) {
  struct caso {
    std::string testo;
    std::vector<int32_t> numeri;
  };
  const std::vector<caso> casi = {
      {"   10              29            40 \r\n", {10, 29, 40}},
      {"    0    ,0\r\n", {0, 0}},
      {"  ,  ,  ,  0\r\n", {0, 0, 0, 0}},   // empty fields read 0
      {"-8,+7\r\n", {-8, 7}},
      {"2.5, 3.5, -0.5\r\n", {2, 4, 0}},     // halves to the even neighbour
      {"2147483647,-2147483648", {2147483647, -2147483647 - 1}},
      // Leading zeros and a negative zero; past 15 digits read as decimals.
      {"007,-0,-00012\r\n", {7, 0, -12}},
      {"0000000000000000042,-0000000000000000.5\r\n", {42, 0}},
  };
  for (const caso& c : casi) {
    lettore_campi l(c.testo);
    std::vector<int32_t> letti;
    for (size_t i = 0; i < c.numeri.size(); ++i) letti.push_back(l.leggi_long());
    EXPECT_EQ(letti, c.numeri) << c.testo;
    EXPECT_TRUE(l.fine()) << c.testo;
  }
}

TEST(Campi, AValueOutsideItsTypeOrNotANumberIsAReadFailure) {
  enum class tipo { long_, integer, byte };
  struct caso {
    std::string testo;
    tipo t;
    bool fallisce;
  };
  const std::vector<caso> casi = {
      {"2147483648", tipo::long_, true},  {"-2147483649", tipo::long_, true},
      {"32767", tipo::integer, false},    {"32768", tipo::integer, true},
      {"-32769", tipo::integer, true},    {"255", tipo::byte, false},
      {"256", tipo::byte, true},          {"-1", tipo::byte, true},
      {"pendenza", tipo::long_, true},    {"12abc", tipo::long_, true},
      {"1e3", tipo::long_, true},         {"1.2.3", tipo::long_, true},
      {"-", tipo::long_, true},           {"99999999999999999999999", tipo::long_, true},
      {"999999999999999", tipo::long_, true}, {"-999999999999999", tipo::long_, true},
      {"--1", tipo::long_, true},         {"+-1", tipo::long_, true},
  };
  for (const caso& c : casi) {
    lettore_campi l(c.testo);
    auto leggi = [&] {
      if (c.t == tipo::long_) l.leggi_long();
      if (c.t == tipo::integer) l.leggi_integer();
      if (c.t == tipo::byte) l.leggi_byte();
    };
    if (c.fallisce)
      EXPECT_THROW(leggi(), guasto_imprevisto) << c.testo;
    else
      EXPECT_NO_THROW(leggi()) << c.testo;
  }
}

TEST(Campi, ReadingPastTheEndIsAFailure) {
  lettore_campi l("a\r\n");
  l.leggi_testo();
  ASSERT_TRUE(l.fine());
  EXPECT_THROW(l.leggi_testo(), guasto_imprevisto);
  EXPECT_THROW(l.leggi_long(), guasto_imprevisto);
  EXPECT_THROW(lettore_campi("").leggi_testo(), guasto_imprevisto);
}

// The loops rely on this: the last field with its line end leaves the file at
// its end, anything after it does not.
TEST(Campi, EndOfFileHoldsOnceTheLastFieldAndItsLineEndAreRead) {
  lettore_campi ultima("pendenza,  250,   -8");
  ultima.leggi_testo();
  EXPECT_FALSE(ultima.fine());
  ultima.leggi_long();
  ultima.leggi_long();
  EXPECT_TRUE(ultima.fine());

  lettore_campi chiusa("x\r\n[fine]\r\n");
  chiusa.leggi_testo();
  EXPECT_FALSE(chiusa.fine());
  chiusa.leggi_testo();
  EXPECT_TRUE(chiusa.fine());

  lettore_campi riga_vuota_dopo("[fine]\r\n\r\n");
  riga_vuota_dopo.leggi_testo();
  EXPECT_FALSE(riga_vuota_dopo.fine());
}

TEST(Campi, EachFieldKnowsTheLineItBeganOn) {
  lettore_campi l("a, 1\r\n\"b\r\nc\", 2\r\nd\r\n");
  l.leggi_testo();
  EXPECT_EQ(l.riga_campo(), 1);
  l.leggi_long();
  EXPECT_EQ(l.riga_campo(), 1);
  l.leggi_testo();
  EXPECT_EQ(l.riga_campo(), 2);
  l.leggi_long();
  EXPECT_EQ(l.riga_campo(), 3);
  l.leggi_testo();
  EXPECT_EQ(l.riga_campo(), 4);
}

TEST(Campi, KeysAreFoundAsSubstringsInEitherMode) {
  struct caso {
    std::string_view campo, chiave;
    confronto modo;
    bool atteso;
  };
  const std::vector<caso> casi = {
      {"[GENERALE]", "[generale]", confronto::qualsiasi_maiuscola, true},
      {"PENDENZA", "pendenza", confronto::qualsiasi_maiuscola, true},
      {"progressiva chilometrica UNO", "uno", confronto::esatto, false},
      {"progressiva chilometrica uno", "uno", confronto::esatto, true},
      {"curvad5", "s", confronto::qualsiasi_maiuscola, false},
      {"curvaS5", "s", confronto::qualsiasi_maiuscola, true},
      {"ve", "velocit", confronto::qualsiasi_maiuscola, false},
      {"\xC0pendenza", "pendenza", confronto::qualsiasi_maiuscola, true},
      // The first letter in either form, in the key or in the field, and
      // found again after a false start.
      {"xxPENDENZA", "Pendenza", confronto::qualsiasi_maiuscola, true},
      {"ppppendenzA", "pENDENZA", confronto::qualsiasi_maiuscola, true},
      {"pendenz", "pendenza", confronto::qualsiasi_maiuscola, false},
      {"pendenzb pendenz", "pendenza", confronto::qualsiasi_maiuscola, false},
      {"-- [fine]", "[FINE]", confronto::qualsiasi_maiuscola, true},
      {"\xE0pendenza", "\xC0pendenza", confronto::qualsiasi_maiuscola, false},
      {"curva", "", confronto::qualsiasi_maiuscola, true},
      {"", "", confronto::qualsiasi_maiuscola, true},
  };
  for (const caso& c : casi) EXPECT_EQ(contiene(c.campo, c.chiave, c.modo), c.atteso) << c.campo << " / " << c.chiave;
}

TEST(Campi, SectionHeadersAreBracketedTexts) {
  EXPECT_TRUE(e_intestazione("[curve]"));
  EXPECT_TRUE(e_intestazione("  [fine]  "));
  EXPECT_FALSE(e_intestazione("[curve] x"));
  EXPECT_FALSE(e_intestazione("pendenza"));
  EXPECT_FALSE(e_intestazione("["));
}

}  // namespace
}  // namespace binario

namespace binario {
namespace {

// The first term the field holds, in the table's order; letters in either
// form unless the term is exact.
TEST(Campi, TheKeyOfAFieldIsTheFirstTermItHolds) {
  struct caso {
    std::string_view campo;
    testo_descrizione testo;
    const char* chiave;  // nullptr: none
  };
  const std::vector<caso> casi = {
      {"Percentuale MASSA Frenata", testo_descrizione::servizio, "percentuale massa frenata"},
      {"curva PENDENZA", testo_descrizione::linea, "pendenza"},
      {"Indicatori_V max", testo_descrizione::linea, "indicatori_vmax"},
      {"CARTELLO INDICATORE", testo_descrizione::linea, "cartello_indicatore"},
      {"cartello", testo_descrizione::linea, nullptr},
      {"sfondo UNO", testo_descrizione::linea, nullptr},
      {"sfondo uno", testo_descrizione::linea, "sfondo uno"},
      {"\xE8velocit\xE0", testo_descrizione::servizio, "velocita"},
      {"velocit", testo_descrizione::linea, nullptr},
      {"", testo_descrizione::servizio, nullptr},
  };
  for (const caso& c : casi) {
    const voce_chiave* v = chiave_di_campo(c.campo, c.testo);
    if (c.chiave == nullptr)
      EXPECT_EQ(v, nullptr) << c.campo;
    else
      EXPECT_EQ(v == nullptr ? "(none)" : v->chiave, c.chiave) << c.campo;
  }
}

}  // namespace
}  // namespace binario
