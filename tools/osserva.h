#pragma once
// Tells when an author saves one of the description texts, whatever way the
// editor saves: written in place, written elsewhere and renamed over it, or
// deleted and created again.

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace binario {

class osservatore {
 public:
  virtual ~osservatore() = default;
  // Blocks until one of the files changed and the changes have gone quiet
  // for a few milliseconds (true), or until ferma() (false).
  virtual bool attendi() = 0;
  // Ends attendi(), now or at its next call; safe from any thread.
  virtual void ferma() = 0;
};

// Watches `nomi` (bare file names) in `cartella` with the system's change
// notifications, or by comparing size and modification time every 200 ms
// when they are not available or `polling` asks for it.
std::unique_ptr<osservatore> nuovo_osservatore(const std::string& cartella, std::vector<std::string> nomi,
                                               bool polling = false);

// Calls `azione` once, from another thread, on Ctrl-C or SIGTERM (and when
// the console is closed on Windows) while the object lives.
class arresto_su_segnale {
 public:
  explicit arresto_su_segnale(std::function<void()> azione);
  ~arresto_su_segnale();
  arresto_su_segnale(const arresto_su_segnale&) = delete;
  arresto_su_segnale& operator=(const arresto_su_segnale&) = delete;

  struct stato;  // the platform's, in osserva.cc

 private:
  std::unique_ptr<stato> s_;
};

}  // namespace binario
