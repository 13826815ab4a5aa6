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
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ENOTDIR:
    case ETXTBSY:
    case EBUSY:
      return Status::io(kErroreAccesso, "Path/File access error", path);
    default:
      return Status::io(kErroreIO, std::string("Device I/O error: ") + std::strerror(err), path);
  }
}

}  // namespace binario
