#pragma once
// Memory about to be filled.

#include <cstddef>

namespace binario {

// Maps in one call the whole pages of [inizio, inizio + byte), as writing
// them would, leaving their bytes as they are. Each first touch of a page
// traps into the kernel, and on a virtual machine that trap costs more than
// the page itself: a grid or a text of a few hundred pages is cheaper mapped
// at once. A hint only: where the system cannot, nothing happens.
void prepara_pagine(void* inizio, size_t byte);

}  // namespace binario
