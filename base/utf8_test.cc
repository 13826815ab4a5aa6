#include <gtest/gtest.h>

#include "base/testo.h"

namespace binario {
namespace {

TEST(BinarioUtf8, RitornaAlTestoDiPartenza) {
  for (const char* s : {"CITTÀ", "è già", "più €", "\xE2\x80\x9Cvirgolette\xE2\x80\x9D", "ASCII, 0-9"})
    EXPECT_EQ(utf8_da_cp1252(cp1252(s)), s);
  EXPECT_EQ(utf8_da_cp1252("\x81"), "\xEF\xBF\xBD");  // a byte Windows-1252 leaves undefined
  // What an editor that read the bytes as Latin-1 sends back is those bytes.
  EXPECT_EQ(cp1252("\xC2\x81\xC2\x9D"), "\x81\x9D");
  EXPECT_EQ(cp1252("a\xFF\xE2\x98\x83" "b"), "a??b");  // not UTF-8; no Windows-1252 byte
}

}  // namespace
}  // namespace binario
