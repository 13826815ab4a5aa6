#pragma once
// A directory of its own for one test or measurement, removed with all it
// holds. The one temporary directory of tests, benchmarks and tools' tests.

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

namespace binario {

class cartella_temporanea {
 public:
  cartella_temporanea() {
    const char* base = std::getenv("TMPDIR");
    std::string modello = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/binario-XXXXXX";
    if (::mkdtemp(modello.data()) == nullptr) throw std::runtime_error("mkdtemp: " + modello);
    percorso_ = modello;
  }
  ~cartella_temporanea() {
    std::error_code ec;
    std::filesystem::remove_all(percorso_, ec);
  }
  cartella_temporanea(const cartella_temporanea&) = delete;
  cartella_temporanea& operator=(const cartella_temporanea&) = delete;

  const std::string& percorso() const { return percorso_; }

 private:
  std::string percorso_;
};

}  // namespace binario
