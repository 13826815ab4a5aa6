#pragma once
// Paths are UTF-8 inside the program; Windows wants UTF-16.
#ifdef _WIN32

#include <string>

namespace binario {

std::wstring utf16(const std::string& utf8);
std::string utf8(const std::wstring& utf16);

}  // namespace binario

#endif  // _WIN32
