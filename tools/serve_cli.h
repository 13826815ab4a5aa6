#pragma once
// The two commands that keep watching the texts: `binario serve` and
// `binario compile --watch`.

#include <functional>
#include <iosfwd>
#include <optional>

#include <CLI/CLI.hpp>

namespace binario {

// Adds `serve` to `app` and `--watch` (with `--poll`) to `compila_cmd`. The
// function returned, called after parsing, runs the command chosen and
// gives its exit status, or nothing when neither was chosen.
std::function<std::optional<int>()> registra_dal_vivo(CLI::App& app, CLI::App& compila_cmd, std::ostream& out,
                                                      std::ostream& err);

}  // namespace binario
