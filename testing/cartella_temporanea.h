#pragma once
// A directory of its own for one measurement, removed with all it holds.

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

namespace binario::banco {

class cartella_temporanea {
 public:
  cartella_temporanea() {
    const char* base = std::getenv("TMPDIR");
    std::string modello = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/binario-banco-XXXXXX";
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

}  // namespace binario::banco
