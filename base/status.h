#pragma once
// The outcome of an operation that can fail: success, a failed file
// operation with the run-time error number the user is shown, or one of the
// fatal final checks (1250, 1251) that end the program.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>

namespace binario {

// Run-time error numbers reported for failed file operations.
inline constexpr int kErroreFileNonTrovato = 53;  // "File not found"
inline constexpr int kErroreDiscoPieno = 61;      // "Disk full"
inline constexpr int kErroreAccesso = 75;         // "Path/File access error"
inline constexpr int kErroreIO = 57;              // "Device I/O error"
inline constexpr int kErroreNomeFile = 52;        // "Bad file name or number" (a name too long)
inline constexpr int kErroreModoFile = 54;        // "Bad file mode": not a regular file, or too large
inline constexpr int kErroreFileEsistente = 58;   // "File already exists"
inline constexpr int kErroreCartellaIgnota = 76;  // "Path not found": the program's directory
inline constexpr int kErrorePermesso = 70;        // "Permission denied": another run holds the directory

class Status {
 public:
  Status() = default;
  static Status ok() { return Status(); }
  // A failed file operation: number and description as the user sees them,
  // and the file it concerned.
  static Status io(int numero, std::string descrizione, std::string file) {
    return Status(Tipo::io, numero, std::move(descrizione), std::move(file));
  }
  // A failed final check; the program must end through `errore`.
  static Status fatale(int numero) {
    return Status(Tipo::fatale, numero, " Errore n. " + std::to_string(numero), "");
  }

  bool is_ok() const { return tipo_ == Tipo::ok; }
  bool is_fatale() const { return tipo_ == Tipo::fatale; }
  int numero() const { return numero_; }
  const std::string& descrizione() const { return descrizione_; }
  const std::string& file() const { return file_; }
  // "Error 75: Path/File access error (/dir/name)".
  std::string to_string() const;

 private:
  enum class Tipo { ok, io, fatale };
  Status(Tipo tipo, int numero, std::string descrizione, std::string file)
      : tipo_(tipo), numero_(numero), descrizione_(std::move(descrizione)), file_(std::move(file)) {}
  Tipo tipo_ = Tipo::ok;
  int numero_ = 0;
  std::string descrizione_;
  std::string file_;
};

// A failure the reader's checks do not foresee (a value that does not fit its
// type, a table used out of its bounds, a failed file operation while
// reading). The reader catches it at one point and records code 25.
class guasto_imprevisto : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace binario
