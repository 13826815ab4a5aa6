#include "tools/serve.h"

#include <httplib.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "base/nomi_file.h"
#include "tools/osserva.h"
#include "tools/vista.h"

#ifndef _WIN32
#include <sys/socket.h>
#else
#include <winsock2.h>
#endif

namespace binario {

namespace {

// Every event carries the whole result, so a page that falls behind needs
// only the newest few; older ones are dropped rather than piled up.
constexpr size_t kEventiPerPagina = 8;
constexpr size_t kPagineMassime = 32;
// Each open page holds one connection thread for its stream, and its
// fetches need a few more.
constexpr size_t kFili = kPagineMassime + 16;
// A comment line now and then, so that a page closed without a word is
// noticed at the next write.
constexpr std::chrono::seconds kBattito{2};
// How long /vista.json waits for the model of the newest compile.
constexpr std::chrono::seconds kAttesaModello{10};

struct pagina_aperta {
  std::mutex m;
  std::condition_variable cv;
  std::deque<std::string> coda;
  bool chiusa = false;
};

std::string json_testo(const nlohmann::ordered_json& j, int rientro) {
  return j.dump(rientro, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string evento_sse(uint64_t id, const std::string& json_compatto) {
  return "id: " + std::to_string(id) + "\nevent: compilato\ndata: " + json_compatto + "\n\n";
}

bool stesso_host(std::string_view host, std::string_view atteso) {
  if (host.size() != atteso.size()) return false;
  for (size_t i = 0; i < host.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(host[i])) != atteso[i]) return false;
  return true;
}

}  // namespace

struct servizio::stato {
  stato(FileSystem& d, opzioni_servizio o) : disco(d), opzioni(std::move(o)) {}

  FileSystem& disco;
  opzioni_servizio opzioni;
  httplib::Server server;
  int porta = 0;
  std::unique_ptr<osservatore> osserva;
  std::function<void(const esito_compilazione&)> dopo;

  std::mutex m;  // everything below
  std::condition_variable cv;
  bool fermato = false;
  bool ascolto_finito = false;
  uint64_t generazione = 0;
  std::string risultato;           // as compile --json prints it
  std::string risultato_compatto;  // the same on one line, for the events
  uint64_t generazione_modello = 0;
  std::string modello;
  std::vector<std::shared_ptr<pagina_aperta>> pagine;

  bool host_permesso(const httplib::Request& req) const;
  void rotte();
  void ricompila();
  void diffondi(const std::string& evento);
  std::shared_ptr<pagina_aperta> apri_pagina(uint64_t gia_vista);
  void chiudi_pagina(const std::shared_ptr<pagina_aperta>& p);
  std::string modello_aggiornato();
  void chiudi_tutte();
};

// Another site's page in the same browser can make it send requests here,
// but a page it loaded through a name of its own would carry that name in
// Host (and in Origin), never this address and port.
bool servizio::stato::host_permesso(const httplib::Request& req) const {
  const std::string p = std::to_string(porta);
  const std::string host = req.get_header_value("Host");
  const bool host_ok = stesso_host(host, "127.0.0.1:" + p) || stesso_host(host, "localhost:" + p) ||
                       (porta == 80 && (stesso_host(host, "127.0.0.1") || stesso_host(host, "localhost")));
  if (!host_ok) return false;
  if (!req.has_header("Origin")) return true;
  const std::string origin = req.get_header_value("Origin");
  return origin == "http://" + host;
}

void servizio::stato::rotte() {
  server.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
    res.set_header("Cache-Control", "no-store");
    res.set_header("X-Content-Type-Options", "nosniff");
    if (host_permesso(req)) return httplib::Server::HandlerResponse::Unhandled;
    res.status = 403;
    res.set_content("binario serve risponde solo a 127.0.0.1 e localhost sulla sua porta\n", "text/plain");
    return httplib::Server::HandlerResponse::Handled;
  });
  server.Get("/", [this](const httplib::Request&, httplib::Response& res) {
    const nlohmann::ordered_json mod = nlohmann::ordered_json::parse(modello_aggiornato(), nullptr, false);
    res.set_content(pagina_vista(mod, true), "text/html; charset=utf-8");
  });
  server.Get("/risultato.json", [this](const httplib::Request&, httplib::Response& res) {
    std::lock_guard l(m);
    res.set_content(risultato, "application/json; charset=utf-8");
  });
  server.Get("/vista.json", [this](const httplib::Request&, httplib::Response& res) {
    res.set_content(modello_aggiornato(), "application/json; charset=utf-8");
  });
  server.Get("/eventi", [this](const httplib::Request& req, httplib::Response& res) {
    uint64_t gia_vista = 0;
    try {
      if (req.has_header("Last-Event-ID")) gia_vista = std::stoull(req.get_header_value("Last-Event-ID"));
    } catch (const std::exception&) {
    }
    std::shared_ptr<pagina_aperta> p = apri_pagina(gia_vista);
    if (!p) {
      res.status = 503;
      res.set_content("binario serve sta finendo\n", "text/plain");
      return;
    }
    res.set_chunked_content_provider(
        "text/event-stream",
        [p](size_t, httplib::DataSink& sink) {
          std::string dati;
          {
            std::unique_lock l(p->m);
            p->cv.wait_for(l, kBattito, [&] { return p->chiusa || !p->coda.empty(); });
            if (p->chiusa) return false;
            for (const std::string& e : p->coda) dati += e;
            p->coda.clear();
          }
          if (dati.empty()) dati = ": battito\n\n";
          return sink.write(dati.data(), dati.size());
        },
        [this, p](bool) { chiudi_pagina(p); });
  });
}

std::shared_ptr<pagina_aperta> servizio::stato::apri_pagina(uint64_t gia_vista) {
  std::lock_guard l(m);
  if (fermato) return nullptr;
  // A closed page is noticed only at the next write to it, so a burst of
  // reloads can fill the list with pages already gone: the oldest makes
  // room. Were it still open, its browser reconnects on its own and is
  // brought up to date.
  if (pagine.size() >= kPagineMassime) {
    const std::shared_ptr<pagina_aperta> vecchia = pagine.front();
    pagine.erase(pagine.begin());
    {
      std::lock_guard lp(vecchia->m);
      vecchia->chiusa = true;
    }
    vecchia->cv.notify_all();
  }
  auto p = std::make_shared<pagina_aperta>();
  // A page that opens late, or comes back after losing the stream, starts
  // from the newest result rather than waiting for the next save.
  p->coda.push_back("retry: 1000\n\n");
  if (generazione > 0 && gia_vista != generazione) p->coda.push_back(evento_sse(generazione, risultato_compatto));
  pagine.push_back(p);
  return p;
}

void servizio::stato::chiudi_pagina(const std::shared_ptr<pagina_aperta>& p) {
  std::lock_guard l(m);
  std::erase(pagine, p);
}

void servizio::stato::diffondi(const std::string& evento) {
  std::vector<std::shared_ptr<pagina_aperta>> tutte;
  {
    std::lock_guard l(m);
    tutte = pagine;
  }
  for (const auto& p : tutte) {
    {
      std::lock_guard l(p->m);
      while (p->coda.size() >= kEventiPerPagina) p->coda.pop_front();
      p->coda.push_back(evento);
    }
    p->cv.notify_all();
  }
}

void servizio::stato::chiudi_tutte() {
  std::vector<std::shared_ptr<pagina_aperta>> tutte;
  {
    std::lock_guard l(m);
    tutte = pagine;
  }
  for (const auto& p : tutte) {
    {
      std::lock_guard l(p->m);
      p->chiusa = true;
    }
    p->cv.notify_all();
  }
}

std::string servizio::stato::modello_aggiornato() {
  std::unique_lock l(m);
  cv.wait_for(l, kAttesaModello, [this] { return fermato || generazione_modello >= generazione; });
  return modello;
}

void servizio::stato::ricompila() {
  const esito_compilazione esito = compila(disco, opzioni.richiesta);
  const nlohmann::ordered_json j = json_compilazione(esito);
  std::string evento;
  {
    std::lock_guard l(m);
    ++generazione;
    risultato = json_testo(j, 1) + "\n";
    risultato_compatto = json_testo(j, -1);
    evento = evento_sse(generazione, risultato_compatto);
  }
  diffondi(evento);
  if (dopo) dopo(esito);
  // The model compiles the texts once more in memory; the event goes first,
  // and /vista.json waits for the model that matches it.
  std::string nuovo;
  try {
    nuovo = json_testo(modello_da_testi(disco, opzioni.richiesta), -1);
  } catch (const std::exception& e) {
    nuovo = json_testo(nlohmann::ordered_json{{"guasto", e.what()}}, -1);
  }
  {
    std::lock_guard l(m);
    modello = std::move(nuovo);
    ++generazione_modello;
  }
  cv.notify_all();
}

servizio::servizio(FileSystem& disco, opzioni_servizio opzioni)
    : s_(std::make_unique<stato>(disco, std::move(opzioni))) {
  s_->server.new_task_queue = [] { return new httplib::ThreadPool(kFili); };
  // A second server on a taken port must fail, not share it: the library's
  // default (SO_REUSEPORT) would let both listen and split the pages.
  s_->server.set_socket_options([](socket_t sock) {
    int si = 1;
#ifdef _WIN32
    setsockopt(sock, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&si), sizeof si);
#else
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &si, sizeof si);
#endif
  });
  s_->server.set_keep_alive_timeout(2);
  s_->rotte();
}

servizio::~servizio() { ferma(); }

std::optional<std::string> servizio::apri() {
  const int richiesta = s_->opzioni.porta;
  if (richiesta == 0) {
    s_->porta = s_->server.bind_to_any_port("127.0.0.1");
    if (s_->porta <= 0) return "nessuna porta libera su 127.0.0.1";
  } else {
    if (!s_->server.bind_to_port("127.0.0.1", richiesta))
      return "la porta " + std::to_string(richiesta) +
             " di 127.0.0.1 è già in uso (forse da un altro binario serve) o non è permessa";
    s_->porta = richiesta;
  }
  return std::nullopt;
}

int servizio::porta() const { return s_->porta; }

void servizio::dopo_compilazione(std::function<void(const esito_compilazione&)> f) { s_->dopo = std::move(f); }

void servizio::esegui() {
  const richiesta_compilazione& r = s_->opzioni.richiesta;
  s_->osserva = nuovo_osservatore(r.cartella, {nome_descrizione_linea(r.linea), nome_descrizione_servizio(r.linea, r.treno)},
                                  s_->opzioni.polling);
  s_->ricompila();
  std::thread osservo([this] {
    while (s_->osserva->attendi()) s_->ricompila();
  });
  std::thread ascolto([this] {
    s_->server.listen_after_bind();
    {
      std::lock_guard l(s_->m);
      s_->ascolto_finito = true;
    }
    s_->cv.notify_all();
  });
  {
    std::unique_lock l(s_->m);
    s_->cv.wait(l, [this] { return s_->fermato || s_->ascolto_finito; });
    s_->fermato = true;
  }
  s_->cv.notify_all();
  s_->chiudi_tutte();
  s_->osserva->ferma();
  osservo.join();
  // stop() does nothing until the server is running, which may not be yet;
  // once it is, one stop() closes the socket, and a second would close it again.
  bool chiuso = false;
  for (;;) {
    {
      std::lock_guard l(s_->m);
      if (s_->ascolto_finito) break;
    }
    if (!chiuso && s_->server.is_running()) {
      s_->server.stop();
      chiuso = true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ascolto.join();
}

void servizio::ferma() {
  {
    std::lock_guard l(s_->m);
    s_->fermato = true;
  }
  s_->cv.notify_all();
}

}  // namespace binario
