// The live loop of `binario serve` timed from the outside: the text is saved,
// and the clock stops when a client reading /eventi receives the
// `compilato` event. Server and client run in this process, over loopback.
//
//   latenza_serve [--metri N] [--giri K] DIR
//
// Without --metri the built-in line (as `binario export` writes it), with it
// a generated N-metre line. Each round appends a blank line to the service
// text or takes it away, so that every save changes the file.
#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/filesystem.h"
#include "bench/linea_lunga.h"
#include "tools/esporta.h"
#include "tools/serve.h"

namespace {

using orologio = std::chrono::steady_clock;

int uso() {
  std::fprintf(stderr, "uso: latenza_serve [--metri N] [--giri K] DIR\n");
  return 2;
}

void scrivi(const std::string& percorso, const std::string& dati) {
  std::ofstream f(percorso, std::ios::binary | std::ios::trunc);
  f << dati;
}

std::string leggi(const std::string& percorso) {
  std::string s;
  binario::file_system_posix().read_file(percorso, &s);
  return s;
}

struct arrivi {
  std::mutex m;
  std::condition_variable cv;
  std::vector<orologio::time_point> quando;
  bool errore = false;  // an event whose compile recorded an error
};

}  // namespace

int main(int argc, char** argv) {
  using namespace binario;
  int32_t metri = 0;
  int giri = 30;
  std::string cartella;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--metri" && i + 1 < argc)
      metri = static_cast<int32_t>(std::strtol(argv[++i], nullptr, 10));
    else if (a == "--giri" && i + 1 < argc)
      giri = std::atoi(argv[++i]);
    else if (!a.empty() && a[0] != '-' && cartella.empty())
      cartella = a;
    else
      return uso();
  }
  if (cartella.empty() || giri < 1) return uso();
  std::filesystem::create_directories(cartella);
  const std::string linea = cartella + "/Valmera-Lusa_linea.txt";
  const std::string percorso_servizio = cartella + "/Valmera-Lusa_019-.txt";
  if (metri == 0) {
    esporta(file_system_posix(), cartella, false);
  } else {
    const banco::testi_linea t = banco::genera_linea_lunga(metri);
    scrivi(linea, t.linea);
    scrivi(percorso_servizio, t.servizio);
  }
  const std::string testo = leggi(percorso_servizio);

  servizio s(file_system_posix(), {{cartella, "Valmera-Lusa", "019", true}, 0, false});
  if (auto e = s.apri()) {
    std::fprintf(stderr, "%s\n", e->c_str());
    return 2;
  }
  std::thread server([&s] { s.esegui(); });

  arrivi a;
  httplib::Client cli("127.0.0.1", s.porta());
  cli.set_read_timeout(60, 0);
  std::thread lettore([&] {
    std::string grezzo;
    cli.Get("/eventi", [&](const char* d, size_t n) {
      const auto ora = orologio::now();
      grezzo.append(d, n);
      for (size_t fine; (fine = grezzo.find("\n\n")) != std::string::npos; grezzo.erase(0, fine + 2)) {
        const std::string blocco = grezzo.substr(0, fine);
        if (blocco.find("event: compilato") == std::string::npos) continue;
        std::lock_guard l(a.m);
        if (blocco.find("\"errors\":[]") == std::string::npos) a.errore = true;
        a.quando.push_back(ora);
        a.cv.notify_all();
      }
      return true;
    });
  });
  auto attendi = [&a](size_t n) {
    std::unique_lock l(a.m);
    return a.cv.wait_for(l, std::chrono::seconds(30), [&] { return a.quando.size() >= n; });
  };
  if (!attendi(1)) {
    std::fprintf(stderr, "nessun evento dalla prima compilazione\n");
    return 1;
  }

  std::vector<double> ms;
  for (int g = 0; g < giri; ++g) {
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    const auto t0 = orologio::now();
    scrivi(percorso_servizio, g % 2 == 0 ? testo + "\r\n" : testo);
    if (!attendi(static_cast<size_t>(g) + 2)) {
      std::fprintf(stderr, "giro %d: nessun evento\n", g);
      return 1;
    }
    std::lock_guard l(a.m);
    ms.push_back(std::chrono::duration<double, std::milli>(a.quando[static_cast<size_t>(g) + 1] - t0).count());
  }
  s.ferma();
  cli.stop();
  lettore.join();
  server.join();
  if (a.errore) {
    std::fprintf(stderr, "una compilazione ha registrato errori: misura non valida\n");
    return 1;
  }

  std::sort(ms.begin(), ms.end());
  auto q = [&ms](double p) { return ms[static_cast<size_t>(p * static_cast<double>(ms.size() - 1))]; };
  std::printf("%-22s %6d saves: min %7.1f  median %7.1f  p90 %7.1f  max %7.1f ms\n",
              metri == 0 ? "built-in line" : (std::to_string(metri) + " m line").c_str(), giri, ms.front(), q(0.5),
              q(0.9), ms.back());
  return 0;
}
