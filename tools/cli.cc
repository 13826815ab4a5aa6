#include "tools/cli.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <new>
#include <optional>
#include <iostream>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include <CLI/CLI.hpp>

#include "base/filesystem.h"
#include "tools/compila.h"
#include "compile/decodifica.h"
#include "tools/dump.h"
#include "tools/esporta.h"
#include "tools/identita.h"
#include "tools/spiega.h"
#include "base/nomi_file.h"
#include "sources/chiavi.h"
#include "tools/vista.h"
#include "tools/vista_cli.h"
#include "tools/serve_cli.h"
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
  bool rigido = false;
  bool forza = false;
  std::string parola;
  bool riferimento = false;
  bool riepilogo = false;
  bool non_vuote = false;
};

int uso(std::ostream& err, const std::string& messaggio) {
  err << "binario: " << messaggio << '\n';
  return kUscitaUso;
}

// A --dir that names something other than a directory, said as it is.
std::optional<std::string> non_una_cartella(const std::string& cartella) {
  std::error_code ec;
  const std::filesystem::file_status st = std::filesystem::status(cartella, ec);
  if (std::filesystem::exists(st) && !std::filesystem::is_directory(st))
    return cartella + " non è una cartella";
  return std::nullopt;
}

int comando_export(const opzioni& o, std::ostream& out, std::ostream& err) {
  if (o.linea.empty() != o.treno.empty()) return uso(err, "--line e --train vanno dati insieme");
  if (!o.linea.empty()) {
    if (auto motivo = motivo_nome_rifiutato(o.linea)) return uso(err, "--line rifiutato: " + *motivo);
    if (auto motivo = motivo_nome_rifiutato(o.treno)) return uso(err, "--train rifiutato: " + *motivo);
  }
  if (auto m = non_una_cartella(o.cartella)) return uso(err, *m);
  std::error_code ec;
  std::filesystem::create_directories(o.cartella, ec);
  if (ec) return uso(err, "impossibile creare la cartella " + o.cartella + ": " + ec.message());
  richiesta_esportazione r{o.cartella, o.documenti, o.linea, o.treno};
  if (!o.forza) {
    // An author's edited texts are worth more than a fresh template.
    const std::vector<std::string> presenti = esistenti(file_system_posix(), r);
    if (!presenti.empty()) {
      std::string elenco;
      for (const std::string& p : presenti) elenco += "\n  " + p;
      return uso(err, "questi file esistono già e non sono stati toccati (usa --force per sovrascriverli):" + elenco);
    }
  }
  const esito_esportazione esito = esporta(file_system_posix(), r);
  for (const std::string& p : esito.scritti) out << p << '\n';
  if (esito.guasto) return uso(err, *esito.guasto);
  return kUscitaOk;
}

// When the texts the names point at are not there, the author most likely
// mistyped a name: the description files in the directory that come close.
std::string nomi_vicini(const opzioni& o) {
  std::error_code ec;
  std::vector<std::string> presenti;
  for (const auto& voce : std::filesystem::directory_iterator(o.cartella, ec)) {
    const std::string n = voce.path().filename().string();
    if (n.size() > 4 && n.ends_with(".txt")) presenti.push_back(n);
    if (presenti.size() > 1000) break;
  }
  std::string out;
  for (const std::string& cercato : {nome_descrizione_linea(o.linea), nome_descrizione_servizio(o.linea, o.treno)}) {
    if (std::filesystem::exists(std::filesystem::path(o.cartella) / cercato, ec)) continue;
    if (auto vicino = piu_vicino(cercato, presenti))
      out += "binario: " + cercato + " non c'è in " + o.cartella + ": forse intendevi " + *vicino + "?\n";
  }
  return out;
}

int comando_compile(const opzioni& o, bool scrivi, std::ostream& out, std::ostream& err) {
  if (auto motivo = motivo_nome_rifiutato(o.linea)) return uso(err, "--line rifiutato: " + *motivo);
  if (auto motivo = motivo_nome_rifiutato(o.treno)) return uso(err, "--train rifiutato: " + *motivo);
  if (auto motivo = motivo_coppia_rifiutata(o.linea, o.treno))
    return uso(err, "--line e --train rifiutati: " + *motivo);
  if (auto m = non_una_cartella(o.cartella)) return uso(err, *m);
  std::error_code ec;
  if (!std::filesystem::is_directory(o.cartella, ec)) return uso(err, "la cartella " + o.cartella + " non esiste");

  richiesta_compilazione r{o.cartella, o.linea, o.treno, !o.senza_tracciato};
  r.scrivi = scrivi;
  const esito_compilazione esito = compila(file_system_posix(), r);
  if (o.json) {
    out << json_compilazione(esito).dump(1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
  } else {
    err << nomi_vicini(o);
    err << testo_diagnostica(esito);
  }
  const int stato = stato_uscita(esito);
  if (stato == kUscitaOk && o.rigido && !esito.avvisi.empty()) return 1;
  return stato;
}

int comando_explain(const opzioni& o, std::ostream& out, std::ostream& err) {
  if (o.riferimento) {
    out << pagina_riferimento();
    return kUscitaOk;
  }
  if (o.parola.empty()) return uso(err, "indica un codice (per esempio 16) o una chiave (per esempio pendenza)");
  if (auto testo = spiega(o.parola)) {
    out << *testo;
    return kUscitaOk;
  }
  std::string m = "\"" + o.parola + "\" non è né un codice di errore né una chiave";
  if (auto vicina = parola_vicina(o.parola)) m += ": forse intendevi \"" + *vicina + "\"?";
  return uso(err, m);
}

// CLI11 names an unknown option but does not guess which was meant.
std::string opzione_vicina(const CLI::App& app, const std::vector<std::string>& argomenti) {
  std::vector<std::string> note;
  for (const CLI::App* sotto : app.get_subcommands({}))
    for (const CLI::Option* opt : sotto->get_options())
      for (const std::string& n : opt->get_lnames()) note.push_back("--" + n);
  for (const CLI::App* sotto : app.get_subcommands({})) note.push_back(sotto->get_name());
  for (const std::string& a : argomenti) {
    const std::string nome = a.substr(0, a.find('='));
    if (std::find(note.begin(), note.end(), nome) != note.end()) continue;
    if (auto vicina = piu_vicino(nome, note)) return "binario: \"" + nome + "\": forse intendevi \"" + *vicina + "\"?\n";
  }
  return "";
}

// The summary reads the header and the grid of one train, ID_NUM.sim and
// ID_NUM.dat side by side, whichever of the two is named; the plan is not
// needed and never read.
int comando_riepilogo(const opzioni& o, tipo_file tipo, std::ostream& out, std::ostream& err) {
  const std::filesystem::path percorso(std::u8string(o.file.begin(), o.file.end()));
  const auto testo = [](const std::u8string& s) { return std::string(s.begin(), s.end()); };
  const std::string nome = testo(percorso.filename().u8string());
  const size_t punto = nome.rfind('.');
  const size_t trattino = nome.rfind('_', punto);
  if (tipo == tipo_file::tracciato || punto == std::string::npos || trattino == std::string::npos || trattino == 0)
    return uso(err, o.file + ": --riepilogo vuole il file ID_NUM.sim o ID_NUM.dat di un treno");
  richiesta_compilazione r;
  r.cartella = testo(percorso.parent_path().u8string());
  if (r.cartella.empty()) r.cartella = ".";
  r.linea = nome.substr(0, trattino);
  r.treno = nome.substr(trattino + 1, punto - trattino - 1);
  r.tracciato = false;
  nlohmann::ordered_json modello;
  try {
    modello = modello_da_binari(file_system_posix(), r);
  } catch (const std::runtime_error& e) {
    return uso(err, e.what());
  }
  if (o.json)
    out << modello.dump(1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
  else
    scrivi_riepilogo(modello, out);
  return kUscitaOk;
}

int comando_dump(const opzioni& o, std::ostream& out, std::ostream& err) {
  std::optional<tipo_file> tipo;
  if (o.tipo == "header") tipo = tipo_file::voci;
  if (o.tipo == "grid") tipo = tipo_file::griglia;
  if (o.tipo == "plan") tipo = tipo_file::tracciato;
  if (!tipo) tipo = tipo_da_nome(o.file);
  if (!tipo) return uso(err, o.file + ": tipo di file sconosciuto dal nome: indica --kind header, grid o plan");
  if (o.riepilogo) return comando_riepilogo(o, *tipo, out, err);
  // Read as a stream, record by record: a plan of tens of megabytes is never
  // held whole, nor its dump.
  const std::filesystem::path percorso(std::u8string(o.file.begin(), o.file.end()));
  std::error_code ec;
  // Checked before the streams open: opening a FIFO would wait for a writer
  // for ever. The file layer names the refusal as every other command does.
  const std::filesystem::file_status stato = std::filesystem::status(percorso, ec);
  if (std::filesystem::exists(stato) && !std::filesystem::is_regular_file(stato))
    return uso(err, status_non_regolare(o.file).to_string());
  const auto byte = std::filesystem::file_size(percorso, ec);
  std::ifstream in(percorso, std::ios::binary), in_y(percorso, std::ios::binary);
  if (ec || !in || !in_y) {
    std::string dati;
    Status s = file_system_posix().read_file(o.file, &dati);
    if (!s.is_ok()) return uso(err, s.to_string());
    return uso(err, o.file + ": non è un file leggibile");
  }
  try {
    scrivi_dump(in, in_y, static_cast<size_t>(byte), *tipo, o.json, out, o.non_vuote);
  } catch (const errore_decodifica& e) {
    return uso(err, o.file + ": byte " + std::to_string(e.offset()) + ": " + e.what());
  }
  return kUscitaOk;
}

int esegui_comando(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
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
  esporta_cmd->add_option("--line", o.linea, "Scrive i testi sotto questo identificativo di linea (ID)");
  esporta_cmd->add_option("--train", o.treno, "... e questo numero di treno (NUM)");
  esporta_cmd->add_flag("--force", o.forza, "Sovrascrive i testi che esistono già");

  CLI::App* compila_cmd = app.add_subcommand(
      "compile", "Compila DIR/ID_linea.txt e DIR/ID_NUM-.txt nei file binari, con diagnostiche; i testi restano");
  compila_cmd->add_option("--dir", o.cartella, "Cartella dei testi e dei file binari")->required();
  compila_cmd->add_option("--line", o.linea, "Identificativo della linea (ID)")->required();
  compila_cmd->add_option("--train", o.treno, "Numero del treno (NUM)")->required();
  compila_cmd->add_flag("--no-plan", o.senza_tracciato, "Non costruisce il tracciato e non scrive ID_linea.dat");
  compila_cmd->add_flag("--json", o.json, "Stampa l'esito come un oggetto JSON sullo standard output");
  compila_cmd->add_flag("--strict", o.rigido, "Esce con 1 anche quando ci sono solo avvisi");

  CLI::App* controlla_cmd = app.add_subcommand(
      "check", "Controlla DIR/ID_linea.txt e DIR/ID_NUM-.txt come compile, senza scrivere nulla");
  controlla_cmd->add_option("--dir", o.cartella, "Cartella dei testi")->required();
  controlla_cmd->add_option("--line", o.linea, "Identificativo della linea (ID)")->required();
  controlla_cmd->add_option("--train", o.treno, "Numero del treno (NUM)")->required();
  controlla_cmd->add_flag("--json", o.json, "Stampa l'esito come un oggetto JSON sullo standard output");
  controlla_cmd->add_flag("--strict", o.rigido, "Esce con 1 anche quando ci sono solo avvisi");
  controlla_cmd->footer("Uscita: 0 nessun problema (o solo avvisi senza --strict); 1 errori, o avvisi con --strict; "
                        "2 errore d'uso o di file.");

  CLI::App* spiega_cmd = app.add_subcommand("explain", "Spiega un codice di errore o una chiave dei testi");
  spiega_cmd->add_option("parola", o.parola, "Un codice (16), il nome di un controllo (fuori-griglia) o una chiave");
  spiega_cmd->add_flag("--reference", o.riferimento, "Stampa la pagina di riferimento di docs/codici.md");
  compila_cmd->footer(
      "Uscita: 0 nessun errore; 1 errori di compilazione (i file binari sono scritti comunque); 2 errore d'uso "
      "o di file; 3 controllo finale fallito (1250, 1251: nessun file binario scritto). Con --json le "
      "diagnostiche stanno nell'oggetto JSON e non vanno sullo standard error.");

  CLI::App* dump_cmd = app.add_subcommand("dump", "Decodifica un file binario, un record per riga");
  dump_cmd->add_option("file", o.file, "File .sim (voci), .dat (griglia) o _linea.dat (tracciato)")->required();
  dump_cmd->add_option("--kind", o.tipo, "Tipo di file, se il nome non basta")
      ->check(CLI::IsMember({"header", "grid", "plan"}));
  dump_cmd->add_flag("--json", o.json, "Stampa un array JSON");
  dump_cmd->add_flag("--non-vuote", o.non_vuote, "Tralascia i record vuoti");
  dump_cmd->add_flag("--riepilogo", o.riepilogo,
                     "Stazioni, segnali, rallentamenti, cartelli e profili in metri e km, una riga ciascuno "
                     "(da ID_NUM.sim e ID_NUM.dat)");

  const comando_vista vista = registra_vista(app);
  const auto dal_vivo = registra_dal_vivo(app, *compila_cmd, out, err);
  CLI::App* lsp_cmd = aggiungi_comando_lsp(app);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int stato = app.exit(e, out, err) == 0 ? kUscitaOk : kUscitaUso;
    if (stato != kUscitaOk) err << opzione_vicina(app, std::vector<std::string>(argv + std::min(argc, 1), argv + argc));
    return stato;
  }
  if (auto stato = dal_vivo()) return *stato;
  if (esporta_cmd->parsed()) return comando_export(o, out, err);
  if (compila_cmd->parsed()) return comando_compile(o, true, out, err);
  if (controlla_cmd->parsed()) return comando_compile(o, false, out, err);
  if (spiega_cmd->parsed()) return comando_explain(o, out, err);
  if (vista.comando->parsed()) return vista.esegui(out, err);
  if (lsp_cmd->parsed()) return esegui_lsp(std::cin, out);
  return comando_dump(o, out, err);
}

}  // namespace

int esegui_binario(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  try {
    return esegui_comando(argc, argv, out, err);
  } catch (const std::bad_alloc&) {
    // Whatever ran out of memory, the tool ends with a word and a status a
    // script can test, not with an abort.
    return uso(err, "memoria esaurita: operazione interrotta");
  }
}

}  // namespace binario
