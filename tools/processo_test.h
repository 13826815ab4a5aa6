#pragma once
// Runs a built program the way a user would, with its output captured, in a
// temporary directory that the fixture removes.

#include <fcntl.h>
#include <spawn.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "testing/cartella_temporanea.h"

extern char** environ;

namespace binario::test {

struct esito_processo {
  int stato = -1;  // exit status; 128 + signal when killed
  std::string out;
  std::string err;
};

inline std::string leggi(const std::filesystem::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

inline void scrivi(const std::filesystem::path& p, const std::string& dati) {
  std::ofstream f(p, std::ios::binary);
  f << dati;
}

class CartellaTemporanea : public ::testing::Test {
 protected:
  // A directory under the temporary root, created.
  std::filesystem::path cartella(const std::string& nome) {
    std::filesystem::path p = radice_ / nome;
    std::filesystem::create_directories(p);
    return p;
  }

  // Starts `programma` with its output going to files named after `nome`;
  // the pid, or -1.
  pid_t avvia(const std::string& programma, const std::vector<std::string>& argomenti, const std::string& nome = "") {
    const std::string out = (radice_ / ("stdout" + nome)).string();
    const std::string err = (radice_ / ("stderr" + nome)).string();
    posix_spawn_file_actions_t azioni;
    posix_spawn_file_actions_init(&azioni);
    posix_spawn_file_actions_addopen(&azioni, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&azioni, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> args = {programma};
    args.insert(args.end(), argomenti.begin(), argomenti.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid;
    const int rc = posix_spawn(&pid, programma.c_str(), &azioni, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&azioni);
    if (rc != 0) {
      ADD_FAILURE() << "impossibile avviare " << programma;
      return -1;
    }
    return pid;
  }

  // Waits for a started program; one still running after `secondi` is
  // killed and reported as hung, so that a fault never hangs the tests.
  esito_processo attendi(pid_t pid, const std::string& nome = "", int secondi = 60) {
    esito_processo e;
    if (pid < 0) return e;
    int stato = 0;
    const auto scadenza = std::chrono::steady_clock::now() + std::chrono::seconds(secondi);
    while (::waitpid(pid, &stato, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > scadenza) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &stato, 0);
        ADD_FAILURE() << "still running after " << secondi << " s: killed";
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    e.stato = WIFEXITED(stato) ? WEXITSTATUS(stato) : 128 + WTERMSIG(stato);
    e.out = leggi(radice_ / ("stdout" + nome));
    e.err = leggi(radice_ / ("stderr" + nome));
    return e;
  }

  esito_processo esegui(const std::string& programma, const std::vector<std::string>& argomenti, int secondi = 60) {
    return attendi(avvia(programma, argomenti), "", secondi);
  }

  cartella_temporanea temporanea_;
  const std::filesystem::path radice_{temporanea_.percorso()};
};

}  // namespace binario::test
