#pragma once
// `binario view`: the page of one scenario, from its texts or its binary files.

#include <functional>
#include <iosfwd>

namespace CLI {
class App;
}

namespace binario {

// Adds the subcommand to `app`; the returned function runs it once parsing
// has found it, and returns the exit status.
struct comando_vista {
  CLI::App* comando = nullptr;
  std::function<int(std::ostream& out, std::ostream& err)> esegui;
};
comando_vista registra_vista(CLI::App& app);

}  // namespace binario
