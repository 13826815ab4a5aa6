#include <cerrno>
#include <cstring>

#include "base/filesystem.h"

namespace binario {

Status status_da_errno(int err, const std::string& path) {
  switch (err) {
    case ENOENT:
      return Status::io(kErroreFileNonTrovato, "File not found", path);
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
      return Status::io(kErroreDiscoPieno, "Disk full", path);
    case EEXIST:
      return Status::io(kErroreFileEsistente, "File already exists", path);
    case ENAMETOOLONG:
      return Status::io(kErroreNomeFile, "Bad file name: name too long", path);
    // The number stays the one every access failure has; the words say
    // what an author must change.
    case EROFS:
      return Status::io(kErroreAccesso, "Path/File access error: read-only file system", path);
    case EISDIR:
      return Status::io(kErroreAccesso, "Path/File access error: a directory has this name", path);
    case EACCES:
    case EPERM:
    case ENOTDIR:
    case ETXTBSY:
    case EBUSY:
      return Status::io(kErroreAccesso, "Path/File access error", path);
    default:
      return Status::io(kErroreIO, std::string("Device I/O error: ") + std::strerror(err), path);
  }
}

Status status_non_regolare(const std::string& path) {
  return Status::io(kErroreModoFile, "Bad file mode: not a regular file", path);
}

Status status_troppo_grande(const std::string& path, size_t limite) {
  return Status::io(kErroreModoFile,
                    "Bad file mode: larger than " + std::to_string(limite >> 20) + " MiB, the most a text may hold",
                    path);
}

Status status_cartella_occupata(const std::string& cartella, int attesa_ms) {
  return Status::io(kErrorePermesso,
                    "Permission denied: another run is writing in this directory; gave up after " +
                        (attesa_ms % 1000 == 0 ? std::to_string(attesa_ms / 1000) + " s"
                                               : std::to_string(attesa_ms) + " ms"),
                    cartella);
}

Status FileSystem::read_file_limited(const std::string& path, size_t limite, std::string* contents) {
  Status s = read_file(path, contents);
  if (s.is_ok() && contents->size() > limite) {
    contents->clear();
    return status_troppo_grande(path, limite);
  }
  return s;
}

Status FileSystem::read_file_shared(const std::string& path, std::shared_ptr<const std::string>* contents) {
  std::string testo;
  Status s = read_file(path, &testo);
  if (s.is_ok()) *contents = std::make_shared<const std::string>(std::move(testo));
  return s;
}

namespace {

class SenzaBlocco final : public BloccoCartella {};

}  // namespace

Status FileSystem::lock_directory(const std::string&, int, std::unique_ptr<BloccoCartella>* blocco) {
  *blocco = std::make_unique<SenzaBlocco>();
  return Status::ok();
}

}  // namespace binario
