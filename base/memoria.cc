#include "base/memoria.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace binario {

namespace {
constexpr uintptr_t kPagina = 4096;
// Smaller buffers take fewer traps than the call costs.
constexpr size_t kPagineMinime = 4;
}  // namespace

void prepara_pagine(void* inizio, size_t byte) {
#if defined(__linux__)
#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23  // Linux 5.14; older kernels refuse it, harmlessly
#endif
  const auto a = (reinterpret_cast<uintptr_t>(inizio) + kPagina - 1) & ~(kPagina - 1);
  const auto b = (reinterpret_cast<uintptr_t>(inizio) + byte) & ~(kPagina - 1);
  if (b <= a || (b - a) / kPagina < kPagineMinime) return;
  ::madvise(reinterpret_cast<void*>(a), b - a, MADV_POPULATE_WRITE);
#else
  (void)inizio;
  (void)byte;
#endif
}

}  // namespace binario
