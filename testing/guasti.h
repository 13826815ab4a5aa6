#pragma once
// A file system that fails when a test tells it to, laid over another one:
// one chosen call of a given kind, every write once the disk is full, or
// every change inside a directory that may not be written. It also keeps a
// log of every call, so that a test can first watch a clean run and then
// make each of its calls fail in turn.

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/filesystem.h"

namespace binario {

class Form1;

enum class operazione_fs { crea, scrivi, svuota, chiudi, rinomina, cancella, leggi };

const char* nome_operazione(operazione_fs op);

struct chiamata_fs {
  operazione_fs operazione = operazione_fs::crea;
  std::string percorso;      // for a rename, the file being renamed
  std::string destinazione;  // rename only
  size_t byte = 0;           // write only: the bytes handed over
};

class FaultyFileSystem final : public FileSystem {
 public:
  explicit FaultyFileSystem(FileSystem& base) : base_(base) {}

  // Call number `n` (counted from 0) of kind `op` fails with the errno value
  // `err`. With `eseguita`, the call is first carried out on the file system
  // below and then reported as failed, as a create that leaves an empty file
  // behind or a delete whose answer is lost.
  void guasta(operazione_fs op, int n, int err, bool eseguita = false);
  // Writes fail with ENOSPC once `capacita` bytes in all have been written;
  // the write that reaches the limit puts its first bytes down before it
  // fails, as a real disk does.
  void disco_pieno(size_t capacita);
  // Every create, rename and delete of a file in `cartella` fails with EACCES.
  void cartella_protetta(const std::string& cartella);
  // Called with every call before it is carried out or refused.
  void osserva(std::function<void(const chiamata_fs&)> osservatore) { osservatore_ = std::move(osservatore); }

  const std::vector<chiamata_fs>& registro() const { return registro_; }
  // The first call of the log that was made to fail, if any.
  std::optional<size_t> chiamata_guasta() const { return chiamata_guasta_; }

  bool exists(const std::string& path) override { return base_.exists(path); }
  bool is_read_only(const std::string& path) override { return base_.is_read_only(path); }
  Status read_file(const std::string& path, std::string* contents) override;
  Status read_file_limited(const std::string& path, size_t limite, std::string* contents) override;
  Status new_writable_file(const std::string& path, std::unique_ptr<WritableFile>* file) override;
  Status rename_file(const std::string& from, const std::string& to) override;
  Status remove_file(const std::string& path) override;
  // Not a file operation of the run: it is passed on and never made to fail.
  Status lock_directory(const std::string& cartella, int attesa_ms, std::unique_ptr<BloccoCartella>* blocco) override {
    return base_.lock_directory(cartella, attesa_ms, blocco);
  }

 private:
  friend class FaultyWritableFile;

  // Logs the call; the error it must fail with, or 0.
  int annota(chiamata_fs chiamata, bool* eseguita);
  // How many of `byte` bytes the disk still takes.
  size_t spazio(size_t byte) const;
  bool protetto(const std::string& path) const;

  FileSystem& base_;
  std::vector<chiamata_fs> registro_;
  std::function<void(const chiamata_fs&)> osservatore_;
  std::optional<operazione_fs> op_guasta_;
  int n_guasta_ = -1;
  int err_guasta_ = 0;
  bool eseguita_guasta_ = false;
  std::vector<int> contatori_ = std::vector<int>(7, 0);
  std::optional<size_t> capacita_;
  size_t scritti_ = 0;
  std::optional<std::string> cartella_protetta_;
  std::optional<size_t> chiamata_guasta_;
};

// After a compile that created its grid and returned success: checks that
// the header and grid files (and the plan file when one was asked for) exist
// and hold exactly as many bytes as the tables they come from, so that none
// is cut short. Empty when they do, otherwise what is wrong. `dimensione`
// gives a file's size, or nothing when there is no such file; without it
// the files are read through the form's file system.
using dimensione_file = std::function<std::optional<size_t>(const std::string&)>;
std::string verifica_file_binari(Form1& form, const dimensione_file& dimensione = {});

}  // namespace binario
