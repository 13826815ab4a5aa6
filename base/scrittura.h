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
#include "base/memoria.h"

namespace binario {

// The buffer of a stream of output into a file, and the part of writing
// that is the same for every stream: `Flusso` writes out what the buffer
// holds when it is full (its scarica()).
template <typename Flusso>
class buffer_uscita {
 public:
  // The largest run of bytes riserva() hands out.
  static constexpr size_t kMassimoRiservato = size_t{1} << 15;
  // The next `n` bytes (at most kMassimoRiservato) of the output, to be
  // filled in by the caller before any other write: a column of a million
  // fields is encoded in place rather than a field at a time.
  unsigned char* riserva(size_t n) {
    if (usato_ + n > soglia_ && !entra(n)) static_cast<Flusso*>(this)->scarica();
    unsigned char* p = reinterpret_cast<unsigned char*>(buffer_.get()) + usato_;
    usato_ += n;
    return p;
  }

 protected:
  // A write that ends inside a page of the file costs the kernel that page
  // twice: found again, its new part zeroed and then copied over; and the
  // page cache takes blocks that start and end on 64 KB boundaries of the
  // file in fewer, larger pieces than whole pages at any place. So while the
  // file grows it is written from one such boundary to another, and only its
  // end is not; what is left over, less than the next boundary, stays.
  static constexpr size_t kBlocco = size_t{1} << 16;
  static constexpr size_t kCapacita = kBlocco + kMassimoRiservato;
  // Most files are small and touch a few pages of the buffer; one that
  // outgrows the first kPrimaSoglia bytes will fill it all, and has the rest
  // of its pages mapped at once.
  static constexpr size_t kPrimaSoglia = size_t{1} << 14;

  buffer_uscita() : buffer_(new char[kCapacita]) {}
  // Whether `n` more bytes fit in the whole buffer, once past the threshold.
  bool entra(size_t n) {
    if (soglia_ < kCapacita) {
      soglia_ = kCapacita;
      prepara_pagine(buffer_.get() + kPrimaSoglia, kCapacita - kPrimaSoglia);
    }
    return usato_ + n <= kCapacita;
  }
  // The bytes of `n` from `inizio` on that end on a block boundary of the file.
  static size_t fino_al_blocco(uint64_t inizio, size_t n) {
    const uint64_t fine = (inizio + n) / kBlocco * kBlocco;
    return fine > inizio ? static_cast<size_t>(fine - inizio) : 0;
  }

  std::unique_ptr<char[]> buffer_;
  size_t usato_ = 0;
  size_t soglia_ = kPrimaSoglia;
};

// Buffered little-endian output into a WritableFile. The first failure is
// kept; later writes are ignored and `status()` reports it.
class Scrittore : public buffer_uscita<Scrittore> {
 public:
  explicit Scrittore(WritableFile& file) : file_(file) {}

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

  // Writes out all that is buffered: at the end of the file.
  Status svuota();
  const Status& status() const { return status_; }
  // Where the next byte goes in the file.
  uint64_t posizione() const { return scritti_ + usato_; }

 private:
  friend class buffer_uscita<Scrittore>;
  friend class ScrittoreAPosizione;
  // Fields come a few bytes at a time, a plan's by the million: a plain copy
  // into a fixed buffer, not a growing string, keeps that cheap.
  void put(const void* p, size_t n) {
    if (usato_ + n > soglia_ && !entra(n)) return put_oltre(static_cast<const char*>(p), n);
    std::memcpy(buffer_.get() + usato_, p, n);
    usato_ += n;
  }
  // `n` bytes that do not fit in what is left of the buffer.
  void put_oltre(const char* p, size_t n);
  // Writes the buffered bytes up to the last block boundary of the file
  // they reach and keeps the rest at the start of the buffer.
  void scarica();

  WritableFile& file_;
  uint64_t scritti_ = 0;  // bytes handed to the file, or meant for it once it failed
  Status status_;
};

// A second stream into the file of a Scrittore, from byte `inizio` to the
// end: the last column of a file, when its place is known before the column
// in front of it is written, so that two columns computed together go down
// together. Through the Scrittore nothing may then go past `inizio`. It too
// writes from one 64 KB boundary of the file to another, and its first
// failure becomes the Scrittore's. svuota() writes what it still holds, and
// must come before the Scrittore's own.
class ScrittoreAPosizione : public buffer_uscita<ScrittoreAPosizione> {
 public:
  ScrittoreAPosizione(Scrittore& principale, uint64_t inizio) : principale_(principale), inizio_(inizio) {}
  ScrittoreAPosizione(const ScrittoreAPosizione&) = delete;
  ScrittoreAPosizione& operator=(const ScrittoreAPosizione&) = delete;

  void svuota() { scrivi(usato_); }

 private:
  friend class buffer_uscita<ScrittoreAPosizione>;
  // Only the first write, which starts where the column does, may begin
  // inside a block.
  void scarica() { scrivi(fino_al_blocco(inizio_, usato_)); }
  // Writes the first `n` bytes buffered and keeps the rest.
  void scrivi(size_t n);

  Scrittore& principale_;
  uint64_t inizio_ = 0;  // the place in the file of the buffer's first byte
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
