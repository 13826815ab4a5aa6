// `binario serve` and `binario compile --watch` through the built executable:
// the server is a real process on a free port, spoken to by a plain HTTP
// client, while the test edits the texts under it.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <httplib.h>

#include <nlohmann/json.hpp>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tools/processo_test.h"
#include "tools/scenario_prova_test.h"

namespace binario::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Every wait of these tests ends by itself.
constexpr auto kAttesa = 15s;

// A program left running, its standard output and error read as they come.
class processo {
 public:
  processo(const std::string& programma, std::vector<std::string> argomenti) {
    int out[2], err[2];
    if (::pipe(out) != 0 || ::pipe(err) != 0) return;
    posix_spawn_file_actions_t azioni;
    posix_spawn_file_actions_init(&azioni);
    posix_spawn_file_actions_adddup2(&azioni, out[1], 1);
    posix_spawn_file_actions_adddup2(&azioni, err[1], 2);
    posix_spawn_file_actions_addclose(&azioni, out[0]);
    posix_spawn_file_actions_addclose(&azioni, err[0]);
    argomenti.insert(argomenti.begin(), programma);
    std::vector<char*> argv;
    for (std::string& a : argomenti) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, programma.c_str(), &azioni, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&azioni);
    ::close(out[1]);
    ::close(err[1]);
    fd_[0] = out[0];
    fd_[1] = err[0];
  }
  ~processo() {
    if (pid_ > 0 && !finito_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    for (int f : fd_)
      if (f >= 0) ::close(f);
  }

  // Reads standard output (0) or error (1) until `cercato` shows up after
  // what earlier calls consumed; false on timeout or end of stream.
  bool attendi_testo(int quale, const std::string& cercato) {
    const auto limite = std::chrono::steady_clock::now() + kAttesa;
    for (;;) {
      const size_t pos = letto_[quale].find(cercato, consumato_[quale]);
      if (pos != std::string::npos) {
        consumato_[quale] = pos + cercato.size();
        return true;
      }
      const auto resta = std::chrono::duration_cast<std::chrono::milliseconds>(limite - std::chrono::steady_clock::now());
      if (resta.count() <= 0) return false;
      pollfd p{fd_[quale], POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(resta.count())) <= 0) return false;
      char buf[4096];
      const ssize_t n = ::read(fd_[quale], buf, sizeof buf);
      if (n <= 0) return false;
      letto_[quale].append(buf, static_cast<size_t>(n));
    }
  }
  const std::string& letto(int quale) const { return letto_[quale]; }

  // Sends `segnale` and waits for the end; the exit status, 128 + signal if
  // it was killed.
  int termina(int segnale) {
    ::kill(pid_, segnale);
    return attendi_fine();
  }
  int attendi_fine() {
    int stato = 0;
    const auto limite = std::chrono::steady_clock::now() + kAttesa;
    while (::waitpid(pid_, &stato, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > limite) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &stato, 0);
        ADD_FAILURE() << "il processo non è finito da sé";
        break;
      }
      std::this_thread::sleep_for(10ms);
    }
    finito_ = true;
    return WIFEXITED(stato) ? WEXITSTATUS(stato) : 128 + WTERMSIG(stato);
  }

 private:
  pid_t pid_ = -1;
  int fd_[2] = {-1, -1};
  std::string letto_[2];
  size_t consumato_[2] = {0, 0};
  bool finito_ = false;
};

// The `compilato` events of one /eventi stream, read on a thread of their own.
class flusso_eventi {
 public:
  explicit flusso_eventi(int porta) : cli_("127.0.0.1", porta) {
    cli_.set_read_timeout(30, 0);
    filo_ = std::thread([this] {
      cli_.Get("/eventi", [this](const char* dati, size_t n) {
        std::lock_guard l(m_);
        grezzo_.append(dati, n);
        for (size_t fine; (fine = grezzo_.find("\n\n")) != std::string::npos; grezzo_.erase(0, fine + 2))
          blocco(grezzo_.substr(0, fine));
        cv_.notify_all();
        return !chiudi_;
      });
      std::lock_guard l(m_);
      finito_ = true;
      cv_.notify_all();
    });
  }
  ~flusso_eventi() {
    {
      std::lock_guard l(m_);
      chiudi_ = true;
    }
    cli_.stop();
    filo_.join();
  }

  // The `n`-th event (from 1), once it has come.
  std::optional<nlohmann::json> evento(size_t n) {
    std::unique_lock l(m_);
    if (!cv_.wait_for(l, kAttesa, [&] { return eventi_.size() >= n || finito_; }) || eventi_.size() < n)
      return std::nullopt;
    return eventi_[n - 1];
  }
  // The first event after those already seen whose result satisfies `vale`.
  template <class F>
  std::optional<nlohmann::json> attendi(F vale) {
    for (;; ++visti_) {
      auto e = evento(visti_ + 1);
      if (!e) return std::nullopt;
      if (vale(*e)) {
        ++visti_;
        return e;
      }
    }
  }

 private:
  void blocco(const std::string& b) {
    if (b.find("event: compilato\n") == std::string::npos) return;
    const size_t d = b.find("data: ");
    if (d != std::string::npos) eventi_.push_back(nlohmann::json::parse(b.substr(d + 6)));
  }

  httplib::Client cli_;
  std::thread filo_;
  std::mutex m_;
  std::condition_variable cv_;
  std::string grezzo_;
  std::vector<nlohmann::json> eventi_;
  size_t visti_ = 0;
  bool chiudi_ = false;
  bool finito_ = false;
};

bool senza_errori(const nlohmann::json& r) { return r["errors"].empty() && r["failure"].is_null(); }
bool con_errore(const nlohmann::json& r, int codice) {
  for (const auto& e : r["errors"])
    if (e["code"] == codice) return true;
  return false;
}

// Signal at 560 falls in the cell of the one at 550.
const std::string kSegnaleInConflitto = "segnale,     560,  2,  4,  0,  0,  0,  0,  0,  0,  0,  0";

class BinarioServe : public CartellaTemporanea {
 protected:
  void SetUp() override {
    CartellaTemporanea::SetUp();
    dir = cartella("autore");
    linea = dir / "Prova_linea.txt";
    servizio = dir / "Prova_7-.txt";
    scrivi(linea, testo(righe_linea_prova()));
    scrivi(servizio, testo(righe_servizio_prova()));
  }

  std::unique_ptr<processo> avvia(int porta_chiesta = 0) {
    auto p = std::make_unique<processo>(BINARIO_EXE, std::vector<std::string>{"serve", "--dir", dir.string(), "--line",
                                                                              "Prova", "--train", "7", "--port",
                                                                              std::to_string(porta_chiesta)});
    return p;
  }
  // Starts the server and reads its address; the port, or 0.
  int avvia_e_leggi(std::unique_ptr<processo>& p) {
    p = avvia();
    if (!p->attendi_testo(0, "\n")) return 0;
    const std::string& riga = p->letto(0);
    const std::string inizio = "http://127.0.0.1:";
    if (riga.rfind(inizio, 0) != 0) return 0;
    return std::stoi(riga.substr(inizio.size()));
  }

  void servizio_con(int riga, const std::string& nuova) {
    std::vector<std::string> s = righe_servizio_prova();
    s[static_cast<size_t>(riga - 1)] = nuova;
    scrivi(servizio, testo(s));
  }

  fs::path dir, linea, servizio;
};

TEST_F(BinarioServe, IPuntiDiAccessoEIlRisultatoComeCompileJson) {
  servizio_con(15, kSegnaleInConflitto);
  std::unique_ptr<processo> p;
  const int porta = avvia_e_leggi(p);
  ASSERT_GT(porta, 0) << p->letto(1);
  EXPECT_EQ(p->letto(0), "http://127.0.0.1:" + std::to_string(porta) + "/\n");
  httplib::Client cli("127.0.0.1", porta);

  auto pagina = cli.Get("/");
  ASSERT_TRUE(pagina);
  EXPECT_EQ(pagina->status, 200);
  EXPECT_EQ(pagina->get_header_value("Content-Type"), "text/html; charset=utf-8");
  EXPECT_NE(pagina->body.find("id=\"diagnostica\""), std::string::npos);
  EXPECT_NE(pagina->body.find("/eventi"), std::string::npos);

  auto modello = cli.Get("/vista.json");
  ASSERT_TRUE(modello);
  EXPECT_EQ(modello->status, 200);
  EXPECT_TRUE(nlohmann::json::parse(modello->body).is_object());

  auto risultato = cli.Get("/risultato.json");
  ASSERT_TRUE(risultato);
  EXPECT_EQ(risultato->status, 200);
  EXPECT_EQ(risultato->get_header_value("Content-Type"), "application/json; charset=utf-8");
  // The server's compile wrote the binary files, as compile does.
  EXPECT_TRUE(fs::exists(dir / "Prova_7.sim"));

  // A page that opens the stream late starts from the newest result.
  {
    flusso_eventi eventi(porta);
    auto primo = eventi.evento(1);
    ASSERT_TRUE(primo);
    EXPECT_EQ(*primo, nlohmann::json::parse(risultato->body));
  }
  for (const char* altro : {"/altro", "/vista.json/..", "/../Prova_7-.txt", "/Prova_7-.txt"}) {
    auto r = cli.Get(altro);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 404) << altro;
  }
  auto post = cli.Post("/risultato.json", "{}", "application/json");
  ASSERT_TRUE(post);
  EXPECT_NE(post->status, 200);

  EXPECT_EQ(p->termina(SIGTERM), 0);
  const esito_processo compile =
      esegui(BINARIO_EXE, {"compile", "--dir", dir.string(), "--line", "Prova", "--train", "7", "--json"});
  EXPECT_EQ(compile.stato, 1);
  EXPECT_EQ(risultato->body, compile.out);
  EXPECT_TRUE(con_errore(nlohmann::json::parse(compile.out), 16));
}

TEST_F(BinarioServe, SoloPerQuestoIndirizzoEQuestaPorta) {
  std::unique_ptr<processo> p;
  const int porta = avvia_e_leggi(p);
  ASSERT_GT(porta, 0) << p->letto(1);
  const std::string n = std::to_string(porta);
  struct caso {
    std::string host;
    std::string origin;  // empty: none sent
    int stato;
  };
  const std::vector<caso> casi = {
      {"127.0.0.1:" + n, "", 200},
      {"localhost:" + n, "", 200},
      {"LocalHost:" + n, "", 200},
      {"127.0.0.1:" + n, "http://127.0.0.1:" + n, 200},
      {"sito-estraneo.example:" + n, "", 403},  // a name rebound to 127.0.0.1
      {"sito-estraneo.example", "", 403},
      {"127.0.0.1:" + std::to_string(porta == 1 ? 2 : porta - 1), "", 403},
      {"127.0.0.1", "", 403},
      {"127.0.0.1:" + n + ".example", "", 403},
      {"127.0.0.1:" + n, "http://sito-estraneo.example", 403},
  };
  for (const caso& c : casi) {
    for (const char* percorso : {"/", "/risultato.json", "/vista.json", "/eventi", "/altro"}) {
      if (c.stato == 200 && std::string(percorso) == "/eventi") continue;  // a stream: tested elsewhere
      httplib::Client cli("127.0.0.1", porta);
      httplib::Headers h = {{"Host", c.host}};
      if (!c.origin.empty()) h.emplace("Origin", c.origin);
      auto r = cli.Get(percorso, h);
      ASSERT_TRUE(r) << c.host << percorso;
      const int atteso = c.stato == 200 && std::string(percorso) == "/altro" ? 404 : c.stato;
      EXPECT_EQ(r->status, atteso) << "Host " << c.host << " Origin " << c.origin << " " << percorso;
      if (atteso == 403) {
        EXPECT_EQ(r->body.find("codice_errore"), std::string::npos);
      }
    }
  }
  EXPECT_EQ(p->termina(SIGINT), 0);
}

TEST_F(BinarioServe, UnSalvataggioInDueMetaSiRicompilaAlSecondo) {
  std::unique_ptr<processo> p;
  const int porta = avvia_e_leggi(p);
  ASSERT_GT(porta, 0) << p->letto(1);
  flusso_eventi eventi(porta);
  ASSERT_TRUE(eventi.attendi(senza_errori));

  // The editor writes the first half and closes, then the rest: the compile
  // of the half is wrong, the next one must see the whole text.
  std::vector<std::string> s = righe_servizio_prova();
  s[14] = kSegnaleInConflitto;
  const std::string intero = testo(s);
  const std::string meta = intero.substr(0, intero.size() / 2);
  scrivi(servizio, meta);
  ASSERT_TRUE(eventi.attendi([](const nlohmann::json& r) { return !senza_errori(r); }));
  {
    std::ofstream f(servizio, std::ios::binary | std::ios::app);
    f << intero.substr(meta.size());
  }
  auto finale = eventi.attendi([](const nlohmann::json& r) { return con_errore(r, 16); });
  ASSERT_TRUE(finale);
  EXPECT_EQ(finale->at("errors").size(), 1u) << finale->dump();

  httplib::Client cli("127.0.0.1", porta);
  auto risultato = cli.Get("/risultato.json");
  ASSERT_TRUE(risultato);
  EXPECT_EQ(nlohmann::json::parse(risultato->body), *finale);
  EXPECT_EQ(p->termina(SIGTERM), 0);
}

TEST_F(BinarioServe, UnTestoCancellatoERicreato) {
  std::unique_ptr<processo> p;
  const int porta = avvia_e_leggi(p);
  ASSERT_GT(porta, 0) << p->letto(1);
  flusso_eventi eventi(porta);
  ASSERT_TRUE(eventi.attendi(senza_errori));

  fs::remove(servizio);
  EXPECT_TRUE(eventi.attendi([](const nlohmann::json& r) { return con_errore(r, 25); }));  // no service text
  // Written elsewhere and renamed over it, as many editors save.
  const fs::path temporaneo = dir / ".Prova_7-.txt.swp";
  scrivi(temporaneo, testo(righe_servizio_prova()));
  fs::rename(temporaneo, servizio);
  EXPECT_TRUE(eventi.attendi(senza_errori));

  fs::remove(linea);
  EXPECT_TRUE(eventi.attendi([](const nlohmann::json& r) { return con_errore(r, 101); }));  // no line text
  scrivi(linea, testo(righe_linea_prova()));
  EXPECT_TRUE(eventi.attendi(senza_errori));
  EXPECT_EQ(p->termina(SIGTERM), 0);
}

TEST_F(BinarioServe, PagineCheSiApronoESiChiudono) {
  std::unique_ptr<processo> p;
  const int porta = avvia_e_leggi(p);
  ASSERT_GT(porta, 0) << p->letto(1);
  // More pages than the server keeps streams for, each closed after its
  // first event, some while others are open.
  for (int giro = 0; giro < 12; ++giro) {
    flusso_eventi a(porta), b(porta), c(porta), d(porta);
    for (flusso_eventi* f : {&a, &b, &c, &d}) ASSERT_TRUE(f->evento(1)) << "giro " << giro;
  }
  flusso_eventi uno(porta), due(porta);
  ASSERT_TRUE(uno.evento(1));
  ASSERT_TRUE(due.evento(1));
  servizio_con(15, kSegnaleInConflitto);
  for (flusso_eventi* f : {&uno, &due}) EXPECT_TRUE(f->attendi([](const nlohmann::json& r) { return con_errore(r, 16); }));
  EXPECT_EQ(p->termina(SIGINT), 0);
}

TEST_F(BinarioServe, DueServerSullaStessaPorta) {
  std::unique_ptr<processo> primo;
  const int porta = avvia_e_leggi(primo);
  ASSERT_GT(porta, 0) << primo->letto(1);
  std::unique_ptr<processo> secondo = avvia(porta);
  EXPECT_EQ(secondo->attendi_fine(), 2);
  secondo->attendi_testo(1, "\n");
  EXPECT_NE(secondo->letto(1).find("la porta " + std::to_string(porta) + " di 127.0.0.1 è già in uso"),
            std::string::npos)
      << secondo->letto(1);
  EXPECT_EQ(secondo->letto(0), "");
  // The first one still answers.
  httplib::Client cli("127.0.0.1", porta);
  auto r = cli.Get("/risultato.json");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 200);
  EXPECT_EQ(primo->termina(SIGTERM), 0);
}

TEST_F(BinarioServe, CompileWatchRistampaLeDiagnostiche) {
  processo p(BINARIO_EXE, {"compile", "--dir", dir.string(), "--line", "Prova", "--train", "7", "--watch"});
  ASSERT_TRUE(p.attendi_testo(1, "binario: nessun errore, nessun avviso; scritti:")) << p.letto(1);
  servizio_con(15, kSegnaleInConflitto);
  ASSERT_TRUE(p.attendi_testo(1, "Prova_7-.txt:15:14: errore 16 al metro 560")) << p.letto(1);
  ASSERT_TRUE(p.attendi_testo(1, "binario: 1 errore")) << p.letto(1);
  scrivi(servizio, testo(righe_servizio_prova()));
  ASSERT_TRUE(p.attendi_testo(1, "binario: nessun errore, nessun avviso")) << p.letto(1);
  EXPECT_EQ(p.termina(SIGINT), 0);
  EXPECT_EQ(p.letto(0), "");
}

TEST_F(BinarioServe, CompileWatchJsonUnaRigaPerCompilazione) {
  processo p(BINARIO_EXE,
             {"compile", "--dir", dir.string(), "--line", "Prova", "--train", "7", "--watch", "--json", "--poll"});
  ASSERT_TRUE(p.attendi_testo(0, "\n"));
  servizio_con(15, kSegnaleInConflitto);
  ASSERT_TRUE(p.attendi_testo(0, "\n"));
  EXPECT_EQ(p.termina(SIGTERM), 0);
  std::istringstream righe(p.letto(0));
  std::string prima, seconda;
  std::getline(righe, prima);
  std::getline(righe, seconda);
  EXPECT_TRUE(senza_errori(nlohmann::json::parse(prima)));
  EXPECT_TRUE(con_errore(nlohmann::json::parse(seconda), 16));
  EXPECT_EQ(p.letto(1), "");
}

}  // namespace
}  // namespace binario::test
