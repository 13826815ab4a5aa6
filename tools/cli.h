#pragma once
// The command line of `binario`, apart from main so that it can be run with
// any arguments and streams.

#include <iosfwd>

namespace binario {

// Exit statuses of binario.
inline constexpr int kUscitaOk = 0;
inline constexpr int kUscitaErroriCompilazione = 1;  // the compile recorded an error
inline constexpr int kUscitaUso = 2;                 // usage error or failed file operation
inline constexpr int kUscitaControlliFinali = 3;     // 1250 or 1251: no binary file written

int esegui_binario(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace binario
