#include "base/scrittura.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <map>
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
