#pragma once
// A FileSystem that passes every call on and keeps, in order, the directory
// lock the run took, what it read, what it left written and what it removed:
// the list a replay of the run's bare file work (pavimento) works from.

#include <cstdint>
#include <map>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "base/filesystem.h"

namespace binario::banco {

struct operazione_file {
  enum class tipo { scrivi, rimuovi, leggi, blocca };
  tipo cosa = tipo::scrivi;
  std::string nome;    // the final name, without its directory ("." for the lock)
  uint64_t byte = 0;   // bytes of the file, for a write or a read
};

class registro_fs final : public FileSystem {
 public:
  explicit registro_fs(FileSystem& sotto) : sotto_(sotto) {}

  bool exists(const std::string& path) override { return sotto_.exists(path); }
  bool is_read_only(const std::string& path) override { return sotto_.is_read_only(path); }
  Status read_file(const std::string& path, std::string* contents) override;
  Status read_file_limited(const std::string& path, size_t limite, std::string* contents) override;
  Status lock_directory(const std::string& cartella, int attesa_ms, std::unique_ptr<BloccoCartella>* blocco) override;
  Status new_writable_file(const std::string& path, std::unique_ptr<WritableFile>* file) override;
  Status rename_file(const std::string& from, const std::string& to) override;
  Status remove_file(const std::string& path) override;

  const std::vector<operazione_file>& operazioni() const { return operazioni_; }
  // Bytes of every file written.
  uint64_t byte_scritti() const;

 private:
  FileSystem& sotto_;
  std::map<std::string, uint64_t> in_scrittura_;  // by path: bytes appended so far
  std::vector<operazione_file> operazioni_;
};

// One operation a line: "blocca .", "leggi NAME BYTES", "scrivi NAME BYTES"
// or "rimuovi NAME".
void scrivi_registro(std::ostream& out, const std::vector<operazione_file>& operazioni);
std::vector<operazione_file> leggi_registro(std::istream& in);

// The floor of a run's file work: every write of `operazioni` made in
// `cartella` with as many bytes, through the run's temporary-then-rename
// sequence, every read, every removal and the lock, with nothing computed.
Status riproduci(FileSystem& fs, const std::string& cartella, const std::vector<operazione_file>& operazioni);

}  // namespace binario::banco
