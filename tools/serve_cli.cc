#include "tools/serve_cli.h"

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <system_error>

#ifndef _WIN32
#include <signal.h>
#endif

#include "base/filesystem.h"
#include "base/nomi_file.h"
#include "tools/cli.h"
#include "tools/compila.h"
#include "tools/identita.h"
#include "tools/osserva.h"
#include "tools/serve.h"

namespace binario {

namespace {

struct opzioni_dal_vivo {
  std::string cartella;
  std::string linea;
  std::string treno;
  int porta = 0;
  bool watch = false;
  bool polling = false;
};

std::optional<int> richiesta_rifiutata(const richiesta_compilazione& r, std::ostream& err) {
  auto uso = [&err](const std::string& m) {
    err << "binario: " << m << '\n';
    return kUscitaUso;
  };
  if (auto motivo = motivo_nome_rifiutato(r.linea)) return uso("--line rifiutato: " + *motivo);
  if (auto motivo = motivo_nome_rifiutato(r.treno)) return uso("--train rifiutato: " + *motivo);
  std::error_code ec;
  if (!std::filesystem::is_directory(r.cartella, ec)) return uso("la cartella " + r.cartella + " non esiste");
  return std::nullopt;
}

std::string riepilogo(const esito_compilazione& esito) {
  std::string testo = testo_diagnostica(esito);
  if (!testo.empty() && testo.back() == '\n') testo.pop_back();
  const size_t a_capo = testo.rfind('\n');
  return (a_capo == std::string::npos ? testo : testo.substr(a_capo + 1)) + '\n';
}

int comando_serve(const opzioni_dal_vivo& o, std::ostream& out, std::ostream& err) {
  const richiesta_compilazione r{o.cartella, o.linea, o.treno, true};
  if (auto rifiuto = richiesta_rifiutata(r, err)) return *rifiuto;
#ifndef _WIN32
  // A page closed mid-write must cost its connection, not the server.
  ::signal(SIGPIPE, SIG_IGN);
#endif
  servizio s(file_system_posix(), {r, o.porta, o.polling});
  if (auto errore = s.apri()) {
    err << "binario: " << *errore << '\n';
    return kUscitaUso;
  }
  out << "http://127.0.0.1:" << s.porta() << "/" << std::endl;
  err << "binario: servo " << r.cartella << " e ricompilo a ogni salvataggio; Ctrl-C per finire" << std::endl;
  s.dopo_compilazione([&err](const esito_compilazione& e) { err << riepilogo(e) << std::flush; });
  arresto_su_segnale arresto([&s] { s.ferma(); });
  s.esegui();
  return kUscitaOk;
}

int comando_watch(const CLI::App& compila_cmd, const opzioni_dal_vivo& o, std::ostream& out, std::ostream& err) {
  const richiesta_compilazione r{compila_cmd.get_option("--dir")->as<std::string>(),
                                 compila_cmd.get_option("--line")->as<std::string>(),
                                 compila_cmd.get_option("--train")->as<std::string>(),
                                 !compila_cmd.get_option("--no-plan")->as<bool>()};
  const bool json = compila_cmd.get_option("--json")->as<bool>();
  if (auto rifiuto = richiesta_rifiutata(r, err)) return *rifiuto;
  // Watching starts before the first compile, so that a save made during it
  // is not missed.
  std::unique_ptr<osservatore> osserva = nuovo_osservatore(
      r.cartella, {nome_descrizione_linea(r.linea), nome_descrizione_servizio(r.linea, r.treno)}, o.polling);
  arresto_su_segnale arresto([&osserva] { osserva->ferma(); });
  if (!json) err << "binario: ricompilo a ogni salvataggio dei testi; Ctrl-C per finire" << std::endl;
  bool prima = true;
  do {
    const esito_compilazione esito = compila(file_system_posix(), r);
    if (json) {
      out << json_compilazione(esito).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << std::endl;
    } else {
      if (!prima) err << '\n';
      err << testo_diagnostica(esito) << std::flush;
    }
    prima = false;
  } while (osserva->attendi());
  return kUscitaOk;
}

}  // namespace

std::function<std::optional<int>()> registra_dal_vivo(CLI::App& app, CLI::App& compila_cmd, std::ostream& out,
                                                      std::ostream& err) {
  auto o = std::make_shared<opzioni_dal_vivo>();
  CLI::App* serve = app.add_subcommand(
      "serve",
      "Serve la pagina della linea su 127.0.0.1 e la aggiorna a ogni salvataggio dei testi, ricompilando e "
      "scrivendo i file binari come compile");
  serve->add_option("--dir", o->cartella, "Cartella dei testi e dei file binari")->required();
  serve->add_option("--line", o->linea, "Identificativo della linea (ID)")->required();
  serve->add_option("--train", o->treno, "Numero del treno (NUM)")->required();
  serve->add_option("--port", o->porta, "Porta su 127.0.0.1 (0: una libera)")->check(CLI::Range(0, 65535));
  serve->add_flag("--poll", o->polling, "Osserva i testi controllandoli ogni 200 ms (per cartelle di rete)");
  serve->footer(
      "Stampa l'indirizzo della pagina sulla prima riga dello standard output. Pagine: / (la linea), "
      "/risultato.json (come compile --json), /vista.json, /eventi (eventi 'compilato'). Ctrl-C per finire.");
  compila_cmd.add_flag("--watch", o->watch, "Resta in ascolto e ricompila a ogni salvataggio dei testi (Ctrl-C)");
  compila_cmd.add_flag("--poll", o->polling, "Con --watch, controlla i testi ogni 200 ms (per cartelle di rete)")
      ->needs("--watch");
  return [o, serve, &compila_cmd, &out, &err]() -> std::optional<int> {
    if (serve->parsed()) return comando_serve(*o, out, err);
    if (compila_cmd.parsed() && o->watch) return comando_watch(compila_cmd, *o, out, err);
    return std::nullopt;
  };
}

}  // namespace binario
