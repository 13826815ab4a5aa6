#include "base/scrittura.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "base/memfs.h"
#include "testing/guasti.h"

namespace binario {
namespace {

TEST(Scrittore, LittleEndianFields) {
  MemFileSystem fs;
  ASSERT_TRUE(sostituisci_file(fs, "/d/f", [](Scrittore& w) {
                w.byte(0xAB);
                w.i16(-2);
                w.i32(0x01020304);
                w.f64(1.0);
                w.bytes("xy");
              }).is_ok());
  EXPECT_EQ(fs.files().at("/d/f"), std::string("\xAB\xFE\xFF\x04\x03\x02\x01\0\0\0\0\0\0\xF0\x3Fxy", 17));
}

TEST(Scrittore, LargeOutputCrossesTheBufferIntact) {
  MemFileSystem fs;
  ASSERT_TRUE(sostituisci_file(fs, "/d/f", [](Scrittore& w) {
                for (int i = 0; i < 100000; ++i) w.i32(i);
              }).is_ok());
  const std::string& b = fs.files().at("/d/f");
  ASSERT_EQ(b.size(), 400000u);
  EXPECT_EQ(static_cast<unsigned char>(b[4 * 77777]), 77777 & 0xFF);
}

// A field longer than the whole buffer, between short ones, lands whole and
// in its place.
TEST(Scrittore, FieldLongerThanTheBufferKeepsItsPlace) {
  MemFileSystem fs;
  const std::string lungo(200000, 'x');
  ASSERT_TRUE(sostituisci_file(fs, "/d/f", [&](Scrittore& w) {
                w.byte(1);
                w.bytes(lungo);
                w.byte(2);
              }).is_ok());
  EXPECT_EQ(fs.files().at("/d/f"), "\x01" + lungo + "\x02");
}

// While the file grows every write ends on a 64 KB boundary of the file,
// whatever the mix of fields and reserved blocks, and the bytes come in the
// same order.
TEST(Scrittore, WritesWholeBlocksUntilTheEnd) {
  struct Registra : WritableFile {
    Status append(std::string_view d) override {
      pezzi.push_back(d.size());
      dati.append(d);
      return Status::ok();
    }
    Status write_at(uint64_t, std::string_view) override { return Status::io(kErroreIO, "not expected", ""); }
    Status flush() override { return Status::ok(); }
    Status close() override { return Status::ok(); }
    std::vector<size_t> pezzi;
    std::string dati;
  };
  struct caso {
    const char* nome;
    std::function<void(Scrittore&, std::string&)> produci;  // also builds the expected bytes
  };
  auto riserva = [](Scrittore& w, std::string& atteso, size_t n, char c) {
    std::memset(w.riserva(n), c, n);
    atteso.append(n, c);
  };
  const caso casi[] = {
      {"fields", [](Scrittore& w, std::string& a) {
         for (int i = 0; i < 50000; ++i) {
           w.i16(static_cast<int16_t>(i));
           a.append({static_cast<char>(i & 0xFF), static_cast<char>((i >> 8) & 0xFF)});
           w.byte(7);
           a.push_back(7);
         }
       }},
      {"blocks of a column", [&](Scrittore& w, std::string& a) {
         for (int i = 0; i < 40; ++i) riserva(w, a, 8190, static_cast<char>('a' + i % 26));
       }},
      {"largest blocks after an odd field", [&](Scrittore& w, std::string& a) {
         w.byte(1);
         a.push_back(1);
         for (int i = 0; i < 9; ++i) riserva(w, a, Scrittore::kMassimoRiservato, static_cast<char>('A' + i));
       }},
      {"a field longer than the buffer", [&](Scrittore& w, std::string& a) {
         riserva(w, a, 1000, 'x');
         const std::string lungo(300001, 'y');
         w.bytes(lungo);
         a += lungo;
         riserva(w, a, 3, 'z');
       }},
  };
  for (const caso& c : casi) {
    Registra file;
    std::string atteso;
    Scrittore w(file);
    c.produci(w, atteso);
    ASSERT_TRUE(w.svuota().is_ok()) << c.nome;
    EXPECT_EQ(file.dati, atteso) << c.nome;
    ASSERT_FALSE(file.pezzi.empty()) << c.nome;
    size_t fine = 0;
    for (size_t i = 0; i + 1 < file.pezzi.size(); ++i) {
      fine += file.pezzi[i];
      EXPECT_EQ(fine % (size_t{1} << 16), 0u) << c.nome << ", write " << i;
    }
  }
}

// The last column of a file written at its place while the column before it
// is still going down: the bytes of both in the file's order, every write of
// the column ending on a block boundary of the file but the last.
struct RegistraPosizioni : WritableFile {
  Status append(std::string_view d) override {
    metti(posizione, d);
    posizione += d.size();
    return Status::ok();
  }
  Status write_at(uint64_t o, std::string_view d) override {
    if (!errore.is_ok()) return errore;
    a_posizione.push_back({o, d.size()});
    metti(o, d);
    return Status::ok();
  }
  Status flush() override { return Status::ok(); }
  Status close() override { return Status::ok(); }
  void metti(uint64_t o, std::string_view d) {
    if (dati.size() < o + d.size()) dati.resize(o + d.size(), '?');
    dati.replace(o, d.size(), d);
  }
  uint64_t posizione = 0;
  std::vector<std::pair<uint64_t, size_t>> a_posizione;  // offset, bytes
  std::string dati;
  Status errore;
};

// Two columns of `elementi` 4-byte elements, the second at its place; returns
// the bytes they should make.
std::string due_colonne(Scrittore& w, size_t elementi) {
  std::string prima, seconda;
  ScrittoreAPosizione coda(w, w.posizione() + 4 * elementi);
  for (size_t fatti = 0; fatti < elementi;) {
    const size_t quanti = std::min<size_t>(Scrittore::kMassimoRiservato / 4, elementi - fatti);
    unsigned char* p = w.riserva(4 * quanti);
    unsigned char* q = coda.riserva(4 * quanti);
    for (size_t i = 0; i < 4 * quanti; ++i) {
      p[i] = static_cast<unsigned char>('a' + (4 * fatti + i) % 26);
      q[i] = static_cast<unsigned char>('A' + (4 * fatti + i) % 23);
      prima.push_back(static_cast<char>(p[i]));
      seconda.push_back(static_cast<char>(q[i]));
    }
    fatti += quanti;
  }
  coda.svuota();
  return prima + seconda;
}

TEST(ScrittoreAPosizione, WritesTheLastColumnAtItsPlace) {
  const struct {
    const char* nome;
    size_t davanti;  // bytes written before the two columns
    size_t elementi;
  } casi[] = {
      {"small columns", 3, 10},
      {"columns of several blocks", 0, 40000},
      {"after an odd start", 12345, 70001},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.nome);
    RegistraPosizioni file;
    Scrittore w(file);
    for (size_t i = 0; i < c.davanti; ++i) w.byte(0xEE);
    const std::string colonne = due_colonne(w, c.elementi);
    ASSERT_TRUE(w.svuota().is_ok());
    EXPECT_EQ(file.dati, std::string(c.davanti, '\xEE') + colonne);
    ASSERT_FALSE(file.a_posizione.empty());
    EXPECT_EQ(file.a_posizione.front().first, c.davanti + 4 * c.elementi);
    for (size_t i = 0; i + 1 < file.a_posizione.size(); ++i)
      EXPECT_EQ((file.a_posizione[i].first + file.a_posizione[i].second) % (size_t{1} << 16), 0u) << "write " << i;
  }
}

// A write at a place that fails is the file's failure: the Scrittore reports
// it and writes nothing more.
TEST(ScrittoreAPosizione, ItsFailureIsTheWritersFailure) {
  RegistraPosizioni file;
  file.errore = Status::io(kErroreDiscoPieno, "Disk full", "/d/f");
  Scrittore w(file);
  due_colonne(w, 40000);
  EXPECT_EQ(w.svuota().numero(), kErroreDiscoPieno);
  EXPECT_LT(file.posizione, 4u * 40000) << "appends went on after the failure";
}

// A file system whose writes fail once `limite` bytes have been written: the
// first part lands, then the disk is full.
class DiscoPieno : public MemFileSystem {
 public:
  explicit DiscoPieno(size_t limite) : limite_(limite) {}
  Status new_writable_file(const std::string& path, std::unique_ptr<WritableFile>* file) override {
    std::unique_ptr<WritableFile> inner;
    Status s = MemFileSystem::new_writable_file(path, &inner);
    if (!s.is_ok()) return s;
    *file = std::make_unique<File>(std::move(inner), limite_, path);
    return s;
  }

 private:
  struct File : WritableFile {
    File(std::unique_ptr<WritableFile> f, size_t limite, std::string p)
        : inner(std::move(f)), resto(limite), path(std::move(p)) {}
    Status append(std::string_view d) override {
      if (d.size() <= resto) {
        resto -= d.size();
        return inner->append(d);
      }
      inner->append(d.substr(0, resto));
      resto = 0;
      return Status::io(kErroreDiscoPieno, "Disk full", path);
    }
    Status write_at(uint64_t, std::string_view) override { return Status::io(kErroreIO, "not expected", path); }
    Status flush() override { return inner->flush(); }
    Status close() override { return inner->close(); }
    std::unique_ptr<WritableFile> inner;
    size_t resto;
    std::string path;
  };
  size_t limite_;
};

TEST(SostituisciFile, FailureKeepsTheOldFileAndLeavesNoTemporary) {
  for (size_t limite : {size_t{0}, size_t{10}, size_t{70000}}) {
    DiscoPieno fs(limite);
    fs.files()["/d/f"] = "vecchio";
    Status s = sostituisci_file(fs, "/d/f", [](Scrittore& w) {
      for (int i = 0; i < 50000; ++i) w.i32(i);
    });
    EXPECT_EQ(s.numero(), kErroreDiscoPieno) << limite;
    EXPECT_EQ(fs.files().at("/d/f"), "vecchio");
    EXPECT_EQ(fs.files().size(), 1u) << "a temporary file was left behind";
  }
}

TEST(SostituisciFile, FailureOnANewFileLeavesNothing) {
  DiscoPieno fs(3);
  Status s = sostituisci_file(fs, "/d/f", [](Scrittore& w) { w.bytes("abcdef"); });
  EXPECT_FALSE(s.is_ok());
  EXPECT_TRUE(fs.files().empty());
}

TEST(SostituisciFile, ReadOnlyTargetStopsBeforeAnythingIsWritten) {
  MemFileSystem fs;
  fs.files()["/d/f"] = "vecchio";
  fs.set_read_only("/d/f", true);
  bool chiamato = false;
  Status s = sostituisci_file(fs, "/d/f", [&](Scrittore&) { chiamato = true; });
  EXPECT_EQ(s.numero(), kErroreAccesso);
  EXPECT_FALSE(chiamato);
  EXPECT_EQ(fs.files().size(), 1u);
}

// A rename over the target before the data is flushed may leave, after a
// crash, a complete name over incomplete bytes.
TEST(SostituisciFile, TheTemporaryIsFlushedAndClosedBeforeItsRename) {
  MemFileSystem disco;
  FaultyFileSystem fs(disco);
  ASSERT_TRUE(sostituisci_file(fs, "/d/f", [](Scrittore& w) { w.bytes("abc"); }).is_ok());
  std::vector<operazione_fs> sul_temporaneo;
  std::string temporaneo;
  for (const chiamata_fs& c : fs.registro()) {
    if (c.operazione == operazione_fs::crea) temporaneo = c.percorso;
    if (c.percorso == temporaneo && c.operazione != operazione_fs::scrivi) sul_temporaneo.push_back(c.operazione);
  }
  EXPECT_EQ(sul_temporaneo, (std::vector<operazione_fs>{operazione_fs::crea, operazione_fs::svuota,
                                                        operazione_fs::chiudi, operazione_fs::rinomina}));
  EXPECT_EQ(disco.files().at("/d/f"), "abc");
}

// A temporary's name taken by something else (a planted link, a killed
// run's leftover) is passed over for another; the leftover stays.
TEST(SostituisciFile, TakenTemporaryNameIsPassedOver) {
  MemFileSystem mem;
  FaultyFileSystem fs(mem);
  fs.guasta(operazione_fs::crea, 0, EEXIST);
  ASSERT_TRUE(sostituisci_file(fs, "/d/f", [](Scrittore& w) { w.bytes("nuovo"); }).is_ok());
  ASSERT_GE(fs.registro().size(), 2u);
  const std::string primo = fs.registro()[0].percorso, secondo = fs.registro()[1].percorso;
  EXPECT_NE(primo, secondo);
  EXPECT_EQ(bersaglio_del_temporaneo(primo), "/d/f");
  EXPECT_EQ(bersaglio_del_temporaneo(secondo), "/d/f");
  EXPECT_EQ(mem.files(), (std::map<std::string, std::string>{{"/d/f", "nuovo"}}));
}

TEST(SostituisciFile, TemporaryNamesStandBesideTheirTarget) {
  EXPECT_EQ(nome_temporaneo("/d/L_T.dat", "a1b2c3"), "/d/.L_T.dat.a1b2c3.tmp");
  EXPECT_EQ(nome_temporaneo("C:\\d\\f", "a1b2c3"), "C:\\d\\.f.a1b2c3.tmp");
  EXPECT_EQ(bersaglio_del_temporaneo("/d/.L_T.dat.a1b2c3.tmp"), "/d/L_T.dat");
  EXPECT_EQ(bersaglio_del_temporaneo("/d/L_T.dat.tmp"), "/d/L_T.dat.tmp");  // not one of ours
  EXPECT_EQ(bersaglio_del_temporaneo("/d/L_T.dat"), "/d/L_T.dat");
}

}  // namespace
}  // namespace binario
