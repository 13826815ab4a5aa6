#pragma once
// The scenario's texts are Windows-1252 bytes; what the tool prints (a
// terminal, an editor, JSON) expects UTF-8.

#include <string>
#include <string_view>

namespace binario {

// Windows-1252 bytes to UTF-8. The five bytes Windows-1252 leaves undefined
// become U+FFFD.
std::string da_cp1252(std::string_view testo);

}  // namespace binario
