#include "compile/output.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/form1.h"
#include "base/memfs.h"
#include "base/nomi_file.h"

namespace binario {
namespace {

std::string bytes_di(const std::function<void(Scrittore&)>& f) {
  MemFileSystem fs;
  EXPECT_TRUE(sostituisci_file(fs, "/f", f).is_ok());
  return fs.files().at("/f");
}

TEST(RecordVoce, FieldsAtTheirOffsets) {
  voce v;
  v.tipo = 8;
  v.inizio_zona = -300;
  v.fine_zona = 300;
  v.posizione = 0x01020304;
  v.colonna_4 = 1;
  v.nome = "ABCDEFGHIJKL";  // 12 characters: a 46-byte record
  v.colonna_7 = 4;
  v.colonna_8 = -1;
  v.colonna_10 = 2;
  v.colonna_11 = 0x0102;
  v.colonna_12 = 3;
  v.colonna_9 = 9;
  v.colonna_13 = 13;
  v.colonna_6 = 6;
  v.colonna_5 = 5;
  v.orario = 37800;
  const std::string b = bytes_di([&](Scrittore& w) {
    scrivi_record_voce(w, v);
    scrivi_record_voce(w, voce{});
  });
  const std::string atteso = std::string("\x08", 1) + std::string("\xD4\xFE\xFF\xFF", 4) +
                             std::string("\x2C\x01\0\0", 4) + std::string("\x04\x03\x02\x01", 4) +
                             std::string("\x01", 1) + std::string("\x0C\0", 2) + "ABCDEFGHIJKL" +
                             std::string("\x04\0\xFF\xFF\x02\0\x02\x01\x03\0", 10) +
                             std::string("\x09\x0D\x06\x05", 4) + std::string("\xA8\x93\0\0", 4);
  ASSERT_EQ(atteso.size(), 46u);
  ASSERT_EQ(b.size(), 46u + kByteVoce);
  EXPECT_EQ(b.substr(0, 46), atteso);
  // The next record starts right after; an empty name is just its length 0, 0.
  EXPECT_EQ(b.substr(46), std::string(kByteVoce, '\0'));
}

TEST(RecordCella, FifteenBytesInFieldOrder) {
  cella c{1, 40, -2, 3, 6, 255, 64, 2, 18, 92, 100};
  EXPECT_EQ(bytes_di([&](Scrittore& w) { scrivi_record_cella(w, c); }),
            std::string("\x01\x28\0\xFE\xFF\x03\0\x06\0\xFF\x40\x02\x12\x5C\x64", 15));
}

TEST(RecordTracciato, ColumnsOfTaggedVariants) {
  tabella_tracciato t;
  t.crea(4);
  t.poni_origine();
  t.avanza(0.5, 1);  // metre 2 at (0.5, 2): one step of 1 from the origin, turned by 0.5
  // metres 3 and 4 stay empty
  const std::string b = bytes_di([&](Scrittore& w) { scrivi_record_tracciato(w, t); });
  const std::string x = std::string("\x02\0\0\0\x02\0\0\0\x05\0\0\0\0\0\0\0\xE0\x3F\0\0\0\0", 22);
  const std::string y = std::string("\x02\0\0\0\x02\0\x01\0\x05\0\0\0\0\0\0\0\0\x40\0\0\0\0", 22);
  EXPECT_EQ(b, x + y);
}

// The plan keeps runs of curvature and traces its coordinates when read: they
// must be those of tracing one metre at a time, to the last bit, and a
// column's bytes must follow them.
TEST(RecordTracciato, TracedAgainAsMetreByMetre) {
  struct passo {
    double k;
    int32_t metri;
  };
  struct caso {
    const char* nome;
    bool origine;
    std::vector<passo> passi;
  };
  const std::vector<caso> casi = {
      {"straight", true, {{0, 50}}},
      {"straight, curve, straight", true, {{0, 10}, {0.002, 30}, {0, 10}}},
      {"one curve given in pieces", true, {{0.001, 3}, {0.001, 4}, {0.001, 5}}},
      {"left and right by turns", true, {{-0.003, 1}, {0.003, 1}, {-0.003, 2}, {0.0001, 1}, {0, 1}}},
      {"nothing traced", true, {}},
      {"no origin: every metre at zero", false, {{0.002, 5}}},
      // Long enough for the y column to be traced from several states at once,
      // with a stretch left over.
      {"a long line", true, {{0, 3000}, {0.0004, 5000}, {0, 2000}, {-0.002, 1234}, {0, 7}}},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(c.nome);
    tabella_tracciato t;
    int32_t metri = 0;
    for (const passo& p : c.passi) metri += p.metri;
    t.crea(metri + 5);  // three metres left empty
    if (c.origine) t.poni_origine();
    std::vector<double> x = {0, 0}, y = {0, c.origine ? 1.0 : 0.0};
    for (const passo& p : c.passi) {
      t.avanza(p.k, p.metri);
      for (int32_t i = 0; i < p.metri; ++i) {
        const size_t m = x.size();
        const double dx = x[m - 1] - x[m - 2];
        const double dy = y[m - 1] - y[m - 2];
        x.push_back(p.k == 0 ? x[m - 1] + dx : x[m - 1] + dx + p.k * dy);
        y.push_back(p.k == 0 ? y[m - 1] + dy : y[m - 1] + dy - p.k * dx);
      }
    }
    ASSERT_EQ(t.prossimo_metro(), static_cast<int32_t>(x.size()));
    const std::string b = bytes_di([&](Scrittore& w) { scrivi_record_tracciato(w, t); });
    std::string atteso;
    for (const std::vector<double>* colonna : {&x, &y}) {
      atteso += bytes_di([&](Scrittore& w) {
        for (int32_t m = 0; m <= t.ultimo_metro(); ++m) {
          const auto k = t.tipo(m);
          w.u16(static_cast<uint16_t>(k));
          if (k == tabella_tracciato::tipo_elemento::intero) w.i16(static_cast<int16_t>((*colonna)[m]));
          if (k == tabella_tracciato::tipo_elemento::reale) w.f64((*colonna)[m]);
        }
      });
    }
    EXPECT_EQ(b, atteso);
  }
}

TEST(RecordTracciato, MetresPastTheLastAreRefusedAfterTheOnesThatFit) {
  tabella_tracciato t;
  t.crea(10);
  t.poni_origine();
  t.avanza(0, 5);  // metres 2 to 6
  try {
    t.avanza(0.001, 10);
    FAIL() << "no error";
  } catch (const guasto_imprevisto& e) {
    EXPECT_STREQ(e.what(), "tracciato: metro 11 fuori dalla tabella");
  }
  EXPECT_EQ(t.prossimo_metro(), 11);
  EXPECT_EQ(t.tipo(10), tabella_tracciato::tipo_elemento::reale);
  // The origin is where tracing starts: it cannot move under traced metres.
  EXPECT_THROW(t.poni_origine(), guasto_imprevisto);
}

// A compile's tables written straight through the driver's writers.
class FileBinari : public ::testing::Test {
 protected:
  MemFileSystem fs;
  Form1 form{fs, "/d"};
  void SetUp() override {
    form.nome_linea = "Valmera-Lusa";
    form.numero_treno = "019";
  }
  const std::string& file(const std::string& nome) { return fs.files().at("/d/" + nome); }
};

TEST_F(FileBinari, SizesOfA29000MetreLine) {
  form.scrivi_tracciato = 1;
  form.lunghezza_estesa = 36000;
  form.numero_celle = 720;
  form.griglia_celle.assign(721, cella{});
  form.tracciato.crea(36000);
  form.tracciato.poni_origine();
  form.tracciato.avanza(0, 36000 - 3);  // metres 2 to 35998
  form.voci[1].nome = "ABCDEFGHIJKL";
  form.voci[85].nome = "Valmera-Lusa";
  form.voci[86].nome = "019";
  ASSERT_TRUE(form.scrivi_file_binari().is_ok());
  EXPECT_EQ(file("Valmera-Lusa_linea.dat").size(), 719964u);  // 20 x M - 36
  EXPECT_EQ(file("Valmera-Lusa_019.dat").size(), 10815u);     // 15 x (N + 1)
  EXPECT_EQ(file("Valmera-Lusa_019.sim").size(), 87u * 34 + 12 + 12 + 3);
  EXPECT_EQ(fs.files().size(), 3u);
}

TEST_F(FileBinari, WithoutAPlanNoPlanFileIsTouched) {
  fs.files()["/d/Valmera-Lusa_linea.dat"] = "vecchio";
  form.scrivi_tracciato = 0;
  form.griglia_celle.assign(3, cella{});
  ASSERT_TRUE(form.scrivi_file_binari().is_ok());
  EXPECT_EQ(file("Valmera-Lusa_linea.dat"), "vecchio");
  EXPECT_EQ(file("Valmera-Lusa_019.dat").size(), 45u);
}

TEST_F(FileBinari, ReadOnlyTargetStopsAtThatFile) {
  fs.files()["/d/Valmera-Lusa_019.sim"] = "vecchio";
  fs.set_read_only("/d/Valmera-Lusa_019.sim", true);
  fs.files()["/d/Valmera-Lusa_019.dat"] = "griglia vecchia";
  form.scrivi_tracciato = 1;
  form.griglia_celle.assign(3, cella{});
  form.tracciato.crea(10);
  Status s = form.scrivi_file_binari();
  EXPECT_EQ(s.numero(), kErroreAccesso);
  EXPECT_EQ(s.file(), "/d/Valmera-Lusa_019.sim");
  EXPECT_EQ(file("Valmera-Lusa_linea.dat").size(), 2u * 11 * 2);  // written before, complete
  EXPECT_EQ(file("Valmera-Lusa_019.sim"), "vecchio");
  EXPECT_EQ(file("Valmera-Lusa_019.dat"), "griglia vecchia");  // later file untouched
}

}  // namespace
}  // namespace binario
