#pragma once
// A long line made up for measuring: the two description texts of a line of
// any length up to the longest the format allows, laid out like the built-in
// line (curves, gradients, `montagna` spans, speed boards, sign boards,
// stations, slowdowns, a signal every kilometre) and free of compile errors,
// so that a compile of it does all the work a real one does.

#include <cstdint>
#include <memory>
#include <string>

#include "app/form1.h"
#include "base/status.h"

namespace binario::banco {

inline constexpr int32_t kMetriMassimi = 1'000'000;

struct testi_linea {
  std::string linea;     // the line description text
  std::string servizio;  // the service description text
};

// The two texts for a line of `metri` metres, from 10,000 to kMetriMassimi.
testi_linea genera_linea_lunga(int32_t metri);

// Writes both texts where the compile of `form` looks for them, through the
// same temporary-then-rename sequence as every text file of the run.
Status scrivi_testi(Form1& form, const testi_linea& testi);

// A Form1 with the built-in identity whose files live in `cartella`.
std::unique_ptr<Form1> nuovo_form(FileSystem& fs, const std::string& cartella);

// Writes the texts and compiles them as the run does, plan included. The
// status is a failed file operation or final check; a compile error is left
// in the form.
Status compila(Form1& form, const testi_linea& testi);

}  // namespace binario::banco
