#include "tools/cli.h"

#include <filesystem>
#include <iostream>
#include <ostream>
#include <sstream>
#include <string>
#include <system_error>

#include <CLI/CLI.hpp>

#include "app/filesystem.h"
#include "tools/compila.h"
#include "tools/decodifica.h"
#include "tools/dump.h"
#include "tools/esporta.h"
#include "tools/identita.h"
#include "tools/lsp.h"

#ifndef BINARIO_VERSIONE
#define BINARIO_VERSIONE "sconosciuta"
#endif

namespace binario {

namespace {

struct opzioni {
  std::string cartella;
  bool documenti = false;
  std::string linea;
  std::string treno;
  bool senza_tracciato = false;
  bool json = false;
  std::string file;
  std::string tipo;
};

int uso(std::ostream& err, const std::string& messaggio) {
  err << "binario: " << messaggio << '\n';
  return kUscitaUso;
}

int comando_export(const opzioni& o, std::ostream& out, std::ostream& err) {
  std::error_code ec;
  std::filesystem::create_directories(o.cartella, ec);
  if (ec) return uso(err, "impossibile creare la cartella " + o.cartella + ": " + ec.message());
  const esito_esportazione esito = esporta(file_system_posix(), o.cartella, o.documenti);
  for (const std::string& p : esito.scritti) out << p << '\n';
  if (esito.guasto) return uso(err, *esito.guasto);
  return kUscitaOk;
}

int comando_compile(const opzioni& o, std::ostream& out, std::ostream& err) {
  if (auto motivo = motivo_nome_rifiutato(o.linea)) return uso(err, "--line rifiutato: " + *motivo);
  if (auto motivo = motivo_nome_rifiutato(o.treno)) return uso(err, "--train rifiutato: " + *motivo);
  std::error_code ec;
  if (!std::filesystem::is_directory(o.cartella, ec)) return uso(err, "la cartella " + o.cartella + " non esiste");

  const esito_compilazione esito = compila(file_system_posix(), {o.cartella, o.linea, o.treno, !o.senza_tracciato});
  if (o.json)
    out << json_compilazione(esito).dump(1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
  else
    err << testo_diagnostica(esito);
  return stato_uscita(esito);
}

int comando_dump(const opzioni& o, std::ostream& out, std::ostream& err) {
  std::optional<tipo_file> tipo;
  if (o.tipo == "header") tipo = tipo_file::voci;
  if (o.tipo == "grid") tipo = tipo_file::griglia;
  if (o.tipo == "plan") tipo = tipo_file::tracciato;
  if (!tipo) tipo = tipo_da_nome(o.file);
  if (!tipo) return uso(err, o.file + ": tipo di file sconosciuto dal nome: indica --kind header, grid o plan");
  std::string dati;
  Status s = file_system_posix().read_file(o.file, &dati);
  if (!s.is_ok()) return uso(err, s.to_string());
  std::ostringstream testo;
  try {
    scrivi_dump(dati, *tipo, o.json, testo);
  } catch (const errore_decodifica& e) {
    return uso(err, o.file + ": byte " + std::to_string(e.offset()) + ": " + e.what());
  }
  out << testo.str();
  return kUscitaOk;
}

}  // namespace

int esegui_binario(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  CLI::App app{"Compila e controlla gli scenari del simulatore: esporta il modello incorporato, compila i "
               "testi di descrizione di un autore con diagnostiche riga per riga, decodifica i file binari.",
               "binario"};
  app.set_version_flag("--version", std::string("binario ") + BINARIO_VERSIONE);
  app.require_subcommand(1);
  opzioni o;

  CLI::App* esporta_cmd = app.add_subcommand(
      "export", "Scrive i testi di descrizione dello scenario incorporato (modello per una linea nuova)");
  esporta_cmd->add_option("--dir", o.cartella, "Cartella in cui scrivere (creata se manca)")->required();
  esporta_cmd->add_flag("--documents", o.documenti, "Scrive anche i tre documenti per il macchinista");

  CLI::App* compila_cmd = app.add_subcommand(
      "compile", "Compila DIR/ID_linea.txt e DIR/ID_NUM-.txt nei file binari, con diagnostiche; i testi restano");
  compila_cmd->add_option("--dir", o.cartella, "Cartella dei testi e dei file binari")->required();
  compila_cmd->add_option("--line", o.linea, "Identificativo della linea (ID)")->required();
  compila_cmd->add_option("--train", o.treno, "Numero del treno (NUM)")->required();
  compila_cmd->add_flag("--no-plan", o.senza_tracciato, "Non costruisce il tracciato e non scrive ID_linea.dat");
  compila_cmd->add_flag("--json", o.json, "Stampa l'esito come un oggetto JSON sullo standard output");
  compila_cmd->footer(
      "Uscita: 0 nessun errore; 1 errori di compilazione (i file binari sono scritti comunque); 2 errore d'uso "
      "o di file; 3 controllo finale fallito (1250, 1251: nessun file binario scritto). Con --json le "
      "diagnostiche stanno nell'oggetto JSON e non vanno sullo standard error.");

  CLI::App* dump_cmd = app.add_subcommand("dump", "Decodifica un file binario, un record per riga");
  dump_cmd->add_option("file", o.file, "File .sim (voci), .dat (griglia) o _linea.dat (tracciato)")->required();
  dump_cmd->add_option("--kind", o.tipo, "Tipo di file, se il nome non basta")
      ->check(CLI::IsMember({"header", "grid", "plan"}));
  dump_cmd->add_flag("--json", o.json, "Stampa un array JSON");

  CLI::App* lsp_cmd = aggiungi_comando_lsp(app);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e, out, err) == 0 ? kUscitaOk : kUscitaUso;
  }
  if (esporta_cmd->parsed()) return comando_export(o, out, err);
  if (compila_cmd->parsed()) return comando_compile(o, out, err);
  if (lsp_cmd->parsed()) return esegui_lsp(std::cin, out);
  return comando_dump(o, out, err);
}

}  // namespace binario
