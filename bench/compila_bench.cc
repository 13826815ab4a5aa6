// The run and the compile of long lines, side by side with the floor of
// writing the same bytes. Disk benchmarks count wall time: most of a run's
// cost is waiting for the files to reach the disk.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "base/filesystem.h"
#include "base/memfs.h"
#include "base/nomi_file.h"
#include "testing/cartella_temporanea.h"
#include "testing/fs_senza_disco.h"
#include "bench/linea_lunga.h"
#include "bench/registro_fs.h"

namespace binario::banco {
namespace {

// Empty when the compile went through with no error and left its grid.
std::string difetto(const Status& s, const Form1& form) {
  if (!s.is_ok()) return s.to_string();
  if (form.codice_errore != 0)
    return "compile error " + std::to_string(form.codice_errore) + " at " +
           std::to_string(form.posizione_errore) + " m";
  if (!form.griglia_creata()) return "the compile made no grid";
  return {};
}

void per_metro(benchmark::State& st, int64_t metri, uint64_t byte) {
  st.counters["per_metro"] =
      benchmark::Counter(static_cast<double>(metri), benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
  if (byte > 0) st.SetBytesProcessed(static_cast<int64_t>(byte) * st.iterations());
}

// What a run leaves written and removes, recorded once from a real run.
struct registrato {
  std::vector<operazione_file> operazioni;
  uint64_t byte = 0;
  std::string difetto;
};

registrato registra(const testi_linea* testi) {
  cartella_temporanea dir;
  registro_fs fs(file_system_posix());
  auto form = nuovo_form(fs, dir.percorso());
  const Status s = testi != nullptr ? compila(*form, *testi) : form->esegui_passi();
  return {fs.operazioni(), fs.byte_scritti(), difetto(s, *form)};
}

void BM_RunIncorporato(benchmark::State& st) {
  const registrato r = registra(nullptr);
  if (!r.difetto.empty()) return st.SkipWithError(r.difetto.c_str());
  cartella_temporanea dir;
  for (auto _ : st) {
    auto form = nuovo_form(file_system_posix(), dir.percorso());
    const Status s = form->esegui_passi();
    if (!s.is_ok()) return st.SkipWithError(s.to_string().c_str());
  }
  st.SetBytesProcessed(static_cast<int64_t>(r.byte) * st.iterations());
}
BENCHMARK(BM_RunIncorporato)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor of a run: the same files, the same sizes, the same sequence.
// Argument: metres of a generated line, 0 for the built-in run.
void BM_Pavimento(benchmark::State& st) {
  const auto metri = static_cast<int32_t>(st.range(0));
  const testi_linea testi = metri > 0 ? genera_linea_lunga(metri) : testi_linea{};
  const registrato r = registra(metri > 0 ? &testi : nullptr);
  if (!r.difetto.empty()) return st.SkipWithError(r.difetto.c_str());
  cartella_temporanea dir;
  for (auto _ : st) {
    const Status s = riproduci(file_system_posix(), dir.percorso(), r.operazioni);
    if (!s.is_ok()) return st.SkipWithError(s.to_string().c_str());
  }
  if (metri > 0)
    per_metro(st, metri, r.byte);
  else
    st.SetBytesProcessed(static_cast<int64_t>(r.byte) * st.iterations());
}
BENCHMARK(BM_Pavimento)->Arg(0)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();

// Writing the two texts and compiling them with the plan, on disk.
void BM_CompilaLinea(benchmark::State& st) {
  const auto metri = static_cast<int32_t>(st.range(0));
  const testi_linea testi = genera_linea_lunga(metri);
  const registrato r = registra(&testi);
  if (!r.difetto.empty()) return st.SkipWithError(r.difetto.c_str());
  cartella_temporanea dir;
  for (auto _ : st) {
    auto form = nuovo_form(file_system_posix(), dir.percorso());
    const Status s = compila(*form, testi);
    if (!s.is_ok()) return st.SkipWithError(s.to_string().c_str());
  }
  per_metro(st, metri, r.byte);
}
BENCHMARK(BM_CompilaLinea)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same without the disk: what the compile itself costs. The longest
// line goes first, so that the shorter ones find the memory already taken
// from the system and show the work per metre, not the first touch of it.
void BM_CompilaLineaSenzaDisco(benchmark::State& st) {
  const auto metri = static_cast<int32_t>(st.range(0));
  const testi_linea testi = genera_linea_lunga(metri);
  fs_senza_disco fs;
  for (auto _ : st) {
    auto form = nuovo_form(fs, "/d");
    const Status s = compila(*form, testi);
    if (const std::string d = difetto(s, *form); !d.empty()) return st.SkipWithError(d.c_str());
  }
  per_metro(st, metri, 0);
}
BENCHMARK(BM_CompilaLineaSenzaDisco)->Arg(1'000'000)->Arg(100'000)->Arg(10'000)->Unit(benchmark::kMillisecond);

// The reader alone on a long line's texts, with the plan (1) or without (0).
void BM_Lettore(benchmark::State& st) {
  const auto metri = static_cast<int32_t>(st.range(0));
  const auto piano = static_cast<int32_t>(st.range(1));
  const testi_linea testi = genera_linea_lunga(metri);
  MemFileSystem fs;
  for (auto _ : st) {
    st.PauseTiming();
    auto form = nuovo_form(fs, "/d");
    fs.files()[form->percorso(nome_descrizione_linea(form->nome_linea))] = testi.linea;
    fs.files()[form->percorso(nome_descrizione_servizio(form->nome_linea, form->numero_treno))] = testi.servizio;
    form->prepara_compilazione(piano);
    st.ResumeTiming();
    form->memorizza_dati();
    st.PauseTiming();
    if (const std::string d = difetto(Status::ok(), *form); !d.empty()) return st.SkipWithError(d.c_str());
    form.reset();
    st.ResumeTiming();
  }
  per_metro(st, metri, testi.linea.size() + testi.servizio.size());
}
BENCHMARK(BM_Lettore)->Args({1'000'000, 1})->Args({1'000'000, 0})->Args({100'000, 1})->Unit(benchmark::kMillisecond);

// Writing the three binary files of a compiled line, against the floor of
// writing as many bytes the same way.
void BM_FileBinari(benchmark::State& st) {
  const auto metri = static_cast<int32_t>(st.range(0));
  cartella_temporanea dir;
  auto form = nuovo_form(file_system_posix(), dir.percorso());
  if (const std::string d = difetto(compila(*form, genera_linea_lunga(metri)), *form); !d.empty())
    return st.SkipWithError(d.c_str());
  for (auto _ : st) {
    const Status s = form->scrivi_file_binari();
    if (!s.is_ok()) return st.SkipWithError(s.to_string().c_str());
  }
}
BENCHMARK(BM_FileBinari)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FileBinariSenzaDisco(benchmark::State& st) {
  const auto metri = static_cast<int32_t>(st.range(0));
  fs_senza_disco fs;
  auto form = nuovo_form(fs, "/d");
  if (const std::string d = difetto(compila(*form, genera_linea_lunga(metri)), *form); !d.empty())
    return st.SkipWithError(d.c_str());
  for (auto _ : st) {
    const Status s = form->scrivi_file_binari();
    if (!s.is_ok()) return st.SkipWithError(s.to_string().c_str());
  }
}
BENCHMARK(BM_FileBinariSenzaDisco)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace binario::banco

BENCHMARK_MAIN();
