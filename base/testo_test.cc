#include "base/testo.h"

#include <gtest/gtest.h>

#include "base/memfs.h"

namespace binario {
namespace {

std::string scrivi(MemFileSystem& fs, std::initializer_list<std::string> righe) {
  tabella_righe t;
  size_t i = 0;
  for (const auto& r : righe) t[i++] = r;
  EXPECT_TRUE(scrivi_file_testo(fs, t, "/d/f.txt").is_ok());
  return fs.files().at("/d/f.txt");
}

TEST(ScriviFileTesto, LinesUpToTheMarkerEachWithCrLf) {
  struct Caso {
    std::initializer_list<std::string> righe;
    std::string atteso;
  };
  const std::string fine(kFineRighe);
  const Caso casi[] = {
      {{fine}, ""},
      {{"", fine}, "\r\n"},
      {{"a", " b ", fine, "dopo"}, "a\r\n b \r\n"},
      // Only the exact marker ends the table.
      {{"Riferimento fine del file", fine}, "Riferimento fine del file\r\n"},
  };
  for (const auto& c : casi) {
    MemFileSystem fs;
    EXPECT_EQ(scrivi(fs, c.righe), c.atteso);
  }
}

TEST(ScriviFileTesto, ReplacesALongerOldFileEntirely) {
  MemFileSystem fs;
  fs.files()["/d/f.txt"] = std::string(1000, 'x');
  EXPECT_EQ(scrivi(fs, {"nuovo", std::string(kFineRighe)}), "nuovo\r\n");
}

TEST(ScriviFileTesto, ReadOnlyTargetIsLeftAsItWas) {
  MemFileSystem fs;
  fs.files()["/d/f.txt"] = "vecchio";
  fs.set_read_only("/d/f.txt", true);
  tabella_righe t;
  t[0] = "nuovo";
  t[1] = kFineRighe;
  Status s = scrivi_file_testo(fs, t, "/d/f.txt");
  EXPECT_EQ(s.numero(), kErroreAccesso);
  EXPECT_EQ(fs.files().at("/d/f.txt"), "vecchio");
  EXPECT_EQ(fs.files().size(), 1u);
}

TEST(Cp1252, AccentedLettersBecomeSingleBytes) {
  EXPECT_EQ(cp1252("città è più"), "citt\xE0 \xE8 pi\xF9");
  EXPECT_EQ(cp1252("abc-1,2"), "abc-1,2");
  EXPECT_EQ(cp1252("€"), "\x80");
  EXPECT_EQ(cp1252("\xE2\x82"), "?");  // cut short
  EXPECT_EQ(cp1252("日"), "?");
}

}  // namespace
}  // namespace binario
