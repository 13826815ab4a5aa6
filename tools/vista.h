#pragma once
// The page of one scenario: a map of the track, the profile under it, the
// tables of stations, signals, slowdowns and boards, and the diagnostics of
// the compile, in one self-contained HTML file (SVG and a little script).
//
// The page draws from a data model (JSON) embedded in it. `binario view`
// writes it once; `binario serve` serves it live, and the page then fetches
// /vista.json again after every `compilato` event on /eventi and redraws in
// place, keeping its zoom and position.

#include <cstddef>
#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "base/filesystem.h"
#include "tools/compila.h"

namespace binario {

// What the page reads off the files, shared with the summary of `dump`.
// A cell covers 50 metres of line: its profile values hold over metres
// 50c to 50c + 50, and a point feature in it sits at metre (c - 1) * 50,
// the cell of metre p being round(p / 50 + 1).
inline constexpr int32_t kMetriCella = 50;
inline int32_t metro_di_cella(size_t c) { return (static_cast<int32_t>(c) - 1) * kMetriCella; }
// The kilometre the driver reads at `metro`, in metres: that of the last
// kilometre reference of `progressive` (the model's list) at or before the
// metre, counting on metre for metre; with no reference the metre itself.
// The page's script reads it the same way.
int64_t metro_letto(const nlohmann::ordered_json& progressive, int32_t metro);

// Compiles the texts of `richiesta` in memory (no file is written) and
// returns the model of the page, with the diagnostics of that compile.
nlohmann::ordered_json modello_da_testi(FileSystem& disco, const richiesta_compilazione& richiesta);

// The model from the three binary files alone (header, grid, plan). Throws
// std::runtime_error with a message naming the file when one is missing or
// malformed; a missing plan file alone (a line compiled with --no-plan, or
// `richiesta.tracciato` false) gives a model without a map instead.
nlohmann::ordered_json modello_da_binari(FileSystem& disco, const richiesta_compilazione& richiesta);

// The whole page. With `dal_vivo` the page listens on /eventi for
// `compilato` events and redraws from /vista.json.
std::string pagina_vista(const nlohmann::ordered_json& modello, bool dal_vivo);

}  // namespace binario
