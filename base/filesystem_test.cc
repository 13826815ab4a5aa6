#include "base/filesystem.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace binario {
namespace {

namespace fs = std::filesystem;

// The failures a user must tell apart keep their number and say what happened.
TEST(StatusDaErrno, SaysWhatHappened) {
  const struct {
    int err;
    int numero;
    const char* descrizione;
  } casi[] = {
      {EROFS, 75, "Path/File access error: read-only file system"},
      {EISDIR, 75, "Path/File access error: a directory has this name"},
      {EACCES, 75, "Path/File access error"},
      {ENAMETOOLONG, 52, "Bad file name: name too long"},
      {EEXIST, 58, "File already exists"},
  };
  for (const auto& c : casi) {
    const Status s = status_da_errno(c.err, "/d/f");
    EXPECT_EQ(s.numero(), c.numero) << c.err;
    EXPECT_EQ(s.descrizione(), c.descrizione) << c.err;
    EXPECT_EQ(s.file(), "/d/f");
  }
}

class FileSystemSuDisco : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string modello = (fs::temp_directory_path() / "binario-fs-XXXXXX").string();
    ASSERT_NE(::mkdtemp(modello.data()), nullptr);
    dir_ = modello;
    std::ofstream(dir_ / "vittima") << "intatto";
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

// Whatever already has the name is left as it is: a new file is only ever
// a file nobody else made.
TEST_F(FileSystemSuDisco, NewFileNeverOpensWhatIsThere) {
  const struct {
    const char* nome;
    std::function<void(const fs::path&)> pianta;
  } casi[] = {
      {"file", [](const fs::path& p) { std::ofstream(p) << "suo"; }},
      {"link", [this](const fs::path& p) { fs::create_symlink(dir_ / "vittima", p); }},
      {"dangling link", [this](const fs::path& p) { fs::create_symlink(dir_ / "assente", p); }},
      {"hard link", [this](const fs::path& p) { fs::create_hard_link(dir_ / "vittima", p); }},
      {"FIFO", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); }},
      {"directory", [](const fs::path& p) { fs::create_directory(p); }},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.nome);
    const fs::path p = dir_ / "nome";
    c.pianta(p);
    std::unique_ptr<WritableFile> f;
    const Status s = file_system_posix().new_writable_file(p.string(), &f);
    EXPECT_EQ(s.numero(), kErroreFileEsistente);
    EXPECT_EQ(f, nullptr);
    std::string v;
    ASSERT_TRUE(file_system_posix().read_file((dir_ / "vittima").string(), &v).is_ok());
    EXPECT_EQ(v, "intatto");
    EXPECT_FALSE(fs::exists(dir_ / "assente"));
    fs::remove_all(p);
  }
}

// A file is read whole, at any size up to the limit, and not at all past it.
TEST_F(FileSystemSuDisco, ReadsWholeFilesUpToTheLimit) {
  const struct {
    const char* nome;
    size_t byte, limite;
    bool letto;
  } casi[] = {
      {"empty", 0, 100, true},
      {"small", 7, 100, true},
      {"several reads long", (size_t{1} << 17) + 3, size_t{1} << 20, true},
      {"at the limit", 4096, 4096, true},
      {"a byte past it", 4097, 4096, false},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.nome);
    std::string scritto(c.byte, '\0');
    for (size_t i = 0; i < c.byte; ++i) scritto[i] = static_cast<char>('a' + i % 26);
    std::ofstream(dir_ / "testo", std::ios::binary) << scritto;
    std::string letto = "vecchio";
    const Status s = file_system_posix().read_file_limited((dir_ / "testo").string(), c.limite, &letto);
    EXPECT_EQ(s.is_ok(), c.letto) << s.to_string();
    if (c.letto) {
      EXPECT_EQ(letto, scritto);
    }
  }
}

// A directory held by one run makes the next wait, then give up; once free
// it is taken at once.
TEST_F(FileSystemSuDisco, OneRunHoldsTheDirectory) {
  std::unique_ptr<BloccoCartella> primo, secondo;
  ASSERT_TRUE(file_system_posix().lock_directory(dir_.string(), 0, &primo).is_ok());
  const Status s = file_system_posix().lock_directory(dir_.string(), 50, &secondo);
  EXPECT_EQ(s.numero(), kErrorePermesso);
  EXPECT_EQ(s.file(), dir_.string());
  EXPECT_EQ(secondo, nullptr);
  primo.reset();
  EXPECT_TRUE(file_system_posix().lock_directory(dir_.string(), 0, &secondo).is_ok());
  // The lock leaves nothing in the directory.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

// A column written at its place ahead of the one before it: appends keep
// their own position, a gap reads as zeros until it is written, a place
// written again takes the new bytes. The same on the disk and in memory.
TEST_F(FileSystemSuDisco, WritesAtAPlaceLeaveAppendsWhereTheyAre) {
  using passo = std::function<Status(WritableFile&)>;
  auto accoda = [](std::string d) { return passo([d](WritableFile& f) { return f.append(d); }); };
  auto a = [](uint64_t o, std::string d) { return passo([o, d](WritableFile& f) { return f.write_at(o, d); }); };
  const struct {
    const char* nome;
    std::vector<passo> passi;
    std::string atteso;
  } casi[] = {
      {"the second column first", {a(3, "yyy"), accoda("xxx")}, "xxxyyy"},
      {"the two columns in turns", {accoda("x"), a(4, "y"), accoda("x"), a(5, "yy"), accoda("xx")}, "xxxxyyy"},
      {"a gap not yet written", {accoda("ab"), a(5, "z")}, std::string("ab\0\0\0z", 6)},
      {"a place written again", {accoda("abcd"), a(1, "XY"), accoda("e")}, "aXYde"},
      {"past a whole block", {a(70000, "fine"), accoda(std::string(70000, 'x'))}, std::string(70000, 'x') + "fine"},
  };
  std::unique_ptr<FileSystem> memoria = nuovo_file_system_in_memoria();
  for (FileSystem* fsys : {&file_system_posix(), memoria.get()}) {
    for (const auto& c : casi) {
      SCOPED_TRACE(std::string(c.nome) + (fsys == memoria.get() ? " (memory)" : " (disk)"));
      const std::string p = (dir_ / "colonne").string();
      std::unique_ptr<WritableFile> f;
      ASSERT_TRUE(fsys->new_writable_file(p, &f).is_ok());
      for (const passo& fai : c.passi) ASSERT_TRUE(fai(*f).is_ok());
      ASSERT_TRUE(f->close().is_ok());
      std::string letto;
      ASSERT_TRUE(fsys->read_file(p, &letto).is_ok());
      EXPECT_EQ(letto, c.atteso);
      ASSERT_TRUE(fsys->remove_file(p).is_ok());
    }
  }
}

}  // namespace
}  // namespace binario
