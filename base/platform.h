#pragma once
// What the run needs of the machine beyond files: the waiting window, a
// message box, the end of the process and the program's own directory.

#include <memory>
#include <string>

namespace binario {

class Piattaforma {
 public:
  virtual ~Piattaforma() = default;
  // Shows the waiting window with its label "Attendere" (modeless).
  virtual void mostra_finestra() = 0;
  // Draws the window at once, before the work starts.
  virtual void ridisegna_finestra() = 0;
  // A modal message box with an OK button; returns its answer.
  virtual int messaggio(const std::string& testo) = 0;
  // Ends the process at once with `codice` as its exit status.
  [[noreturn]] virtual void termina(int codice) = 0;
  // The directory that holds the running executable; empty when the OS
  // cannot tell it.
  virtual std::string cartella_programma() = 0;
  virtual char separatore() const = 0;
};

// Exit statuses of genera.
inline constexpr int kUscitaPassoFallito = 2;   // a step failed (a file operation), or nothing could start
inline constexpr int kUscitaErroreFatale = 3;   // a final check ended the run (1250, 1251)

// For Linux and CI: no window. "Attendere" goes to standard error when that
// is a terminal; a message box becomes its text on standard error.
std::unique_ptr<Piattaforma> nuova_piattaforma_senza_finestra();

// The platform of genera: a real window and message box where the machine
// has a display (Win32 on Windows, FLTK on a Linux desktop), otherwise the
// platform without a window.
std::unique_ptr<Piattaforma> nuova_piattaforma_con_finestra();

// The directory of the running executable, as the OS reports it; empty when
// it cannot be learnt (the run then stops rather than write elsewhere).
std::string cartella_eseguibile();

}  // namespace binario
