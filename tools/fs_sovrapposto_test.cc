#include "tools/fs_sovrapposto.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "base/memfs.h"
#include "base/scrittura.h"

namespace binario {
namespace {

class BinarioSovrapposto : public ::testing::Test {
 protected:
  BinarioSovrapposto() : fs(disco, {"d/L_linea.txt"}) {
    disco.files()["d/L_linea.txt"] = "testo dell'autore";
    fs.poni_testo("d/L_linea.txt", testo);
  }
  const std::shared_ptr<const std::string> testo = std::make_shared<const std::string>("testo dell'autore");
  MemFileSystem disco;
  FileSystemSovrapposto fs;
};

TEST_F(BinarioSovrapposto, LaLetturaCancellaSoloLaCopia) {
  std::string letto;
  ASSERT_TRUE(fs.read_file("d/L_linea.txt", &letto).is_ok());
  EXPECT_EQ(letto, "testo dell'autore");
  std::shared_ptr<const std::string> condiviso;
  ASSERT_TRUE(fs.read_file_shared("d/L_linea.txt", &condiviso).is_ok());
  EXPECT_EQ(condiviso.get(), testo.get()) << "the reader gets the caller's text, not a copy";
  ASSERT_TRUE(fs.remove_file("d/L_linea.txt").is_ok());
  EXPECT_FALSE(fs.exists("d/L_linea.txt"));
  EXPECT_EQ(fs.read_file_shared("d/L_linea.txt", &condiviso).numero(), kErroreFileNonTrovato);
  EXPECT_EQ(fs.remove_file("d/L_linea.txt").numero(), kErroreFileNonTrovato);
  EXPECT_EQ(*testo, "testo dell'autore");
  EXPECT_EQ(disco.files().at("d/L_linea.txt"), "testo dell'autore");
}

TEST_F(BinarioSovrapposto, IFileBinariVannoSulDisco) {
  ASSERT_TRUE(sostituisci_file(fs, "d/L_T.dat", [](Scrittore& w) { w.bytes("abc"); }).is_ok());
  EXPECT_EQ(disco.files().at("d/L_T.dat"), "abc");
  for (const auto& [path, _] : disco.files()) EXPECT_EQ(bersaglio_del_temporaneo(path), path) << "left behind";
  EXPECT_EQ(fs.scritti(), std::vector<std::string>{"d/L_T.dat"});
}

TEST_F(BinarioSovrapposto, UnTestoNonSiScrive) {
  EXPECT_EQ(sostituisci_file(fs, "d/L_linea.txt", [](Scrittore& w) { w.bytes("abc"); }).numero(), kErroreAccesso);
  EXPECT_EQ(disco.files().at("d/L_linea.txt"), "testo dell'autore");
  EXPECT_EQ(*testo, "testo dell'autore");
  EXPECT_TRUE(fs.scritti().empty());
}

TEST_F(BinarioSovrapposto, NessunoSpostamentoTraMemoriaEDisco) {
  disco.files()["d/altro"] = "x";
  EXPECT_FALSE(fs.rename_file("d/L_linea.txt", "d/altro").is_ok());
  EXPECT_FALSE(fs.rename_file("d/altro", "d/L_linea.txt").is_ok());
  EXPECT_EQ(disco.files().at("d/L_linea.txt"), "testo dell'autore");
  EXPECT_TRUE(fs.scritti().empty());
}

}  // namespace
}  // namespace binario
