#pragma once
// Writing an output file so that it is never seen half written: the bytes go
// to a temporary file beside the target, which is flushed and then renamed
// over the target. On any failure the temporary is removed and the target
// keeps its previous content (or stays absent).
//
// The temporary is ".NAME.XXXXXX.tmp" with a random XXXXXX, created only if
// nothing has that name: a link, FIFO or file planted there, or left by a
// killed run, is passed over for another name and never written through.

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "base/filesystem.h"

namespace binario {

// Buffered little-endian output into a WritableFile. The first failure is
// kept; later writes are ignored and `status()` reports it.
class Scrittore {
 public:
  explicit Scrittore(WritableFile& file) : file_(file), buffer_(new char[kCapacita]) {}

  void byte(uint8_t v) { put(&v, 1); }
  void i16(int16_t v) { u16(static_cast<uint16_t>(v)); }
  void u16(uint16_t v) {
    unsigned char b[2] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8)};
    put(b, 2);
  }
  void i32(int32_t v) {
    uint32_t u = static_cast<uint32_t>(v);
    unsigned char b[4] = {static_cast<unsigned char>(u), static_cast<unsigned char>(u >> 8),
                          static_cast<unsigned char>(u >> 16), static_cast<unsigned char>(u >> 24)};
    put(b, 4);
  }
  void f64(double v) {
    uint64_t u;
    std::memcpy(&u, &v, sizeof u);
    unsigned char b[8];
    for (int i = 0; i < 8; ++i) b[i] = static_cast<unsigned char>(u >> (8 * i));
    put(b, 8);
  }
  void bytes(std::string_view s) { put(s.data(), s.size()); }

  // The largest run of bytes riserva() hands out.
  static constexpr size_t kMassimoRiservato = size_t{1} << 15;
  // The next `n` bytes (at most kMassimoRiservato) of the output, to be
  // filled in by the caller before any other write: a column of a million
  // fields is encoded in place rather than a field at a time.
  unsigned char* riserva(size_t n) {
    if (usato_ + n > soglia_ && !entra(n)) scarica();
    unsigned char* p = reinterpret_cast<unsigned char*>(buffer_.get()) + usato_;
    usato_ += n;
    return p;
  }

  // Writes out all that is buffered: at the end of the file.
  Status svuota();
  const Status& status() const { return status_; }

 private:
  // A write that ends inside a page of the file costs the kernel that page
  // twice: found again, its new part zeroed and then copied over. So the file
  // is written in whole pages while it grows, at least 64 KB at a time, and
  // only its end is not; what is left over, less than a page, stays.
  static constexpr size_t kPagina = 4096;
  static constexpr size_t kCapacita = (size_t{1} << 16) + kMassimoRiservato;
  // Fields come a few bytes at a time, a plan's by the million: a plain copy
  // into a fixed buffer, not a growing string, keeps that cheap.
  void put(const void* p, size_t n) {
    if (usato_ + n > soglia_ && !entra(n)) return put_oltre(static_cast<const char*>(p), n);
    std::memcpy(buffer_.get() + usato_, p, n);
    usato_ += n;
  }
  // Most files are small and touch a few pages of the buffer; one that
  // outgrows the first kPrimaSoglia bytes will fill it all, and has the rest
  // of its pages mapped at once.
  static constexpr size_t kPrimaSoglia = size_t{1} << 14;
  // Whether `n` more bytes fit in the whole buffer, once past the threshold.
  bool entra(size_t n);
  // `n` bytes that do not fit in what is left of the buffer.
  void put_oltre(const char* p, size_t n);
  // Writes the whole pages buffered and keeps the rest, less than a page, at
  // the start of the buffer.
  void scarica();

  WritableFile& file_;
  std::unique_ptr<char[]> buffer_;
  size_t usato_ = 0;
  size_t soglia_ = kPrimaSoglia;
  Status status_;
};

// Name of a temporary file beside `path` with the given random part.
std::string nome_temporaneo(const std::string& path, std::string_view casuale);
// The file a temporary stands for, or `path` itself when it is no temporary.
std::string bersaglio_del_temporaneo(const std::string& path);

// Replaces the file `path` with what `produci` writes. A target that exists and
// is read-only stops this before anything is written.
Status sostituisci_file(FileSystem& fs, const std::string& path,
                        const std::function<void(Scrittore&)>& produci);

}  // namespace binario
