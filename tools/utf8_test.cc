#include "tools/utf8.h"

#include <gtest/gtest.h>

#include "base/testo.h"

namespace binario {
namespace {

TEST(BinarioUtf8, RitornaAlTestoDiPartenza) {
  for (const char* s : {"CITTÀ", "è già", "più €", "\xE2\x80\x9Cvirgolette\xE2\x80\x9D", "ASCII, 0-9"})
    EXPECT_EQ(da_cp1252(cp1252(s)), s);
  EXPECT_EQ(da_cp1252("\x81"), "\xEF\xBF\xBD");  // a byte Windows-1252 leaves undefined
}

}  // namespace
}  // namespace binario
