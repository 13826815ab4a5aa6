#include "base/memoria.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace binario {
namespace {

// A hint must never change what a buffer holds, wherever its ends fall.
TEST(PreparaPagine, LeavesTheBytesAsTheyAre) {
  struct caso {
    size_t inizio, byte;
  };
  const caso casi[] = {{0, 0}, {1, 3}, {0, 4096 * 8}, {17, 4096 * 8 - 40}, {4095, 4096 * 5 + 2}, {100, 4096 * 16}};
  const size_t totale = 4096 * 20;
  std::vector<unsigned char> prima(totale);
  for (size_t i = 0; i < totale; ++i) prima[i] = static_cast<unsigned char>(i * 131 + 7);
  for (const caso& c : casi) {
    std::vector<unsigned char> b = prima;
    prepara_pagine(b.data() + c.inizio, c.byte);
    EXPECT_EQ(b, prima) << "from " << c.inizio << ", " << c.byte << " bytes";
  }
}

#if defined(__linux__)
// The whole pages inside the range are mapped, and none outside it.
TEST(PreparaPagine, MapsTheWholePagesInside) {
  const size_t pagina = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
  if (pagina != 4096) GTEST_SKIP() << "pages of " << pagina << " bytes";
  const size_t pagine = 16;
  void* m = ::mmap(nullptr, pagine * pagina, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(m, MAP_FAILED);
  auto* p = static_cast<unsigned char*>(m);
  // From the middle of page 2 to the middle of page 12: pages 3 to 11.
  prepara_pagine(p + 2 * pagina + 100, 10 * pagina);
  std::vector<unsigned char> residenti(pagine);
  ASSERT_EQ(::mincore(m, pagine * pagina, residenti.data()), 0);
  std::string mappa;
  for (unsigned char r : residenti) mappa += (r & 1) ? 'x' : '.';
  // A kernel without the call leaves all unmapped: the hint is then nothing.
  if (mappa != std::string(pagine, '.')) {
    EXPECT_EQ(mappa, "...xxxxxxxxx....");
  }
  for (size_t i = 0; i < pagine * pagina; ++i) ASSERT_EQ(p[i], 0) << "byte " << i;
  ::munmap(m, pagine * pagina);
}
#endif

}  // namespace
}  // namespace binario
