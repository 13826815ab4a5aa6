#include "app/scrittura.h"

#include <gtest/gtest.h>

#include "app/memfs.h"

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

}  // namespace
}  // namespace binario
