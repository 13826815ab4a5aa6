#include "tools/fs_sovrapposto.h"

namespace binario {

FileSystem& FileSystemSovrapposto::scegli(const std::string& path) {
  if (in_memoria_.count(path) != 0) return memoria_;
  return disco_;
}

Status FileSystemSovrapposto::rename_file(const std::string& from, const std::string& to) {
  FileSystem& origine = scegli(from);
  // A move between memory and disk would either lose the author's text or
  // write a description path on disk; neither belongs to a compile.
  if (&origine != &scegli(to)) return Status::io(kErroreAccesso, "Path/File access error", to);
  Status s = origine.rename_file(from, to);
  if (s.is_ok() && &origine == &disco_) scritti_.push_back(to);
  return s;
}

}  // namespace binario
