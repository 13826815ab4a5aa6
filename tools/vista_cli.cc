#include "tools/vista_cli.h"

#include <filesystem>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <system_error>

#include <CLI/CLI.hpp>

#include "base/filesystem.h"
#include "base/scrittura.h"
#include "tools/cli.h"
#include "tools/identita.h"
#include "tools/vista.h"

namespace binario {

namespace {

struct opzioni_vista {
  std::string cartella;
  std::string linea;
  std::string treno;
  std::string uscita;
  bool binari = false;
};

int uso(std::ostream& err, const std::string& messaggio) {
  err << "binario: " << messaggio << '\n';
  return kUscitaUso;
}

int esegui_vista(const opzioni_vista& o, std::ostream& out, std::ostream& err) {
  if (auto motivo = motivo_nome_rifiutato(o.linea)) return uso(err, "--line rifiutato: " + *motivo);
  if (auto motivo = motivo_nome_rifiutato(o.treno)) return uso(err, "--train rifiutato: " + *motivo);
  std::error_code ec;
  if (!std::filesystem::is_directory(o.cartella, ec)) return uso(err, "la cartella " + o.cartella + " non esiste");
  FileSystem& disco = file_system_posix();
  const richiesta_compilazione r{o.cartella, o.linea, o.treno, true};
  nlohmann::ordered_json modello;
  try {
    modello = o.binari ? modello_da_binari(disco, r) : modello_da_testi(disco, r);
  } catch (const std::exception& e) {
    return uso(err, e.what());
  }
  const std::string pagina = pagina_vista(modello, false);
  const std::string percorso = o.uscita.empty() ? o.cartella + "/" + o.linea + "_" + o.treno + ".html" : o.uscita;
  Status s = sostituisci_file(disco, percorso, [&](Scrittore& w) { w.bytes(pagina); });
  if (!s.is_ok()) return uso(err, percorso + ": " + s.to_string());
  out << percorso << '\n';
  // The page is written even when the compile found errors: it is where they
  // are shown. The status still says so, as `compile` does.
  const auto& d = modello["diagnostica"];
  if (d.is_object()) {
    if (!d["failure"].is_null()) return kUscitaUso;
    if (!d["fatal"].is_null()) return kUscitaControlliFinali;
    if (!d["errors"].empty()) return kUscitaErroriCompilazione;
  }
  return kUscitaOk;
}

}  // namespace

comando_vista registra_vista(CLI::App& app) {
  auto o = std::make_shared<opzioni_vista>();
  CLI::App* c = app.add_subcommand(
      "view", "Scrive una pagina HTML con la mappa, il profilo, le tabelle e le diagnostiche della linea");
  c->add_option("--dir", o->cartella, "Cartella dei testi o dei file binari")->required();
  c->add_option("--line", o->linea, "Identificativo della linea (ID)")->required();
  c->add_option("--train", o->treno, "Numero del treno (NUM)")->required();
  c->add_option("--out", o->uscita, "File HTML da scrivere (predefinito DIR/ID_NUM.html)");
  c->add_flag("--binari", o->binari,
              "Costruisce la pagina dai tre file binari invece di compilare i testi (che possono mancare)");
  c->footer(
      "Senza --binari i testi sono compilati in memoria: nessun file binario viene scritto. La pagina non "
      "carica nulla dalla rete. Uscita: 0 nessun errore; 1 errori di compilazione (mostrati nella pagina); 2 "
      "errore d'uso o di file; 3 controllo finale fallito.");
  return {c, [o](std::ostream& out, std::ostream& err) { return esegui_vista(*o, out, err); }};
}

}  // namespace binario
