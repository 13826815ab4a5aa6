/* pavimento REGISTRO CARTELLA: the floor of a run's file work, in plain C.
 *
 * Replays in CARTELLA the list of file operations a real run made (written by
 * compila_lunga --registro, or by bench/run for `binario compile`), one a
 * line, with the same calls and the same durability as base/scrittura.cc and
 * base/filesystem_posix.cc, and computes nothing:
 *
 *   blocca .           flock on the directory, held until the end
 *   leggi NOME BYTE    open, fstat and read the whole file into memory
 *   scrivi NOME BYTE   stat the target, create .NOME.xxxxxx.tmp with
 *                      O_CREAT|O_EXCL|O_NOFOLLOW, write BYTE bytes in blocks
 *                      of 64 KB (starting the disk's write of each whole
 *                      megabyte with sync_file_range, as the program does), fsync,
 *                      close, rename over NOME
 *   rimuovi NOME       unlink
 *
 * The list is read before the clock of the caller matters little: it is a
 * few lines. A failed call ends the floor with status 1, so that bench/run
 * never times a floor that did less than the program. */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

enum { kBlocco = 1 << 16, kTentativi = 100 };

static char blocco[kBlocco];
static const char* cartella;

static int fallito(const char* cosa, const char* nome) {
  fprintf(stderr, "pavimento: %s %s: %s\n", cosa, nome, strerror(errno));
  return 1;
}

static int blocca(void) {
  int fd = open(cartella, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return fallito("open", cartella);
  while (flock(fd, LOCK_EX | LOCK_NB) != 0)
    if (errno != EINTR) return fallito("flock", cartella);
  return 0; /* the descriptor stays open: the lock lasts until exit */
}

static int leggi(const char* percorso, uint64_t byte) {
  int fd = open(percorso, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return fallito("open", percorso);
  struct stat st;
  if (fstat(fd, &st) != 0) return fallito("fstat", percorso);
  char* dati = malloc(byte + 1);
  if (dati == NULL) return fallito("malloc", percorso);
  uint64_t letti = 0;
  for (;;) {
    ssize_t n = read(fd, blocco, sizeof blocco);
    if (n < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      return fallito("read", percorso);
    }
    if (n == 0) break;
    if (letti + (uint64_t)n > byte) {
      errno = EFBIG;
      return fallito("read", percorso);
    }
    memcpy(dati + letti, blocco, (size_t)n);
    letti += (uint64_t)n;
  }
  close(fd);
  free(dati);
  if (letti != byte) {
    errno = EIO;
    return fallito("short read of", percorso);
  }
  return 0;
}

static void casuale(char* s, size_t n) {
  static const char cifre[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  static uint64_t x;
  if (x == 0) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    x = ((uint64_t)t.tv_nsec << 20) ^ (uint64_t)getpid() ^ (uint64_t)t.tv_sec;
    if (x == 0) x = 1;
  }
  for (size_t i = 0; i < n; ++i) {
    x ^= x << 13, x ^= x >> 7, x ^= x << 17;
    s[i] = cifre[x % (sizeof cifre - 1)];
  }
}

static int scrivi(const char* nome, const char* percorso, uint64_t byte) {
  struct stat st;
  if (stat(percorso, &st) == 0 && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
    errno = EACCES;
    return fallito("read-only", percorso);
  }
  char temp[4096];
  int fd = -1;
  for (int i = 0; i < kTentativi && fd < 0; ++i) {
    char parte[7] = {0};
    casuale(parte, 6);
    snprintf(temp, sizeof temp, "%s/.%s.%s.tmp", cartella, nome, parte);
    fd = open(temp, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0644);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) return fallito("open", temp);
  uint64_t scritti = 0, avviati = 0;
  for (uint64_t resto = byte; resto > 0;) {
    size_t n = resto < sizeof blocco ? (size_t)resto : sizeof blocco;
    ssize_t w = write(fd, blocco, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return fallito("write", temp);
    }
    resto -= (uint64_t)w;
    scritti += (uint64_t)w;
    const uint64_t fino = scritti >> 20 << 20;
    if (fino != avviati) {
      sync_file_range(fd, (off_t)avviati, (off_t)(fino - avviati), SYNC_FILE_RANGE_WRITE);
      avviati = fino;
    }
  }
  if (fsync(fd) != 0 && errno != EINVAL && errno != EROFS) return fallito("fsync", temp);
  if (close(fd) != 0) return fallito("close", temp);
  if (rename(temp, percorso) != 0) return fallito("rename", percorso);
  return 0;
}

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: pavimento REGISTRO CARTELLA\n");
    return 2;
  }
  cartella = argv[2];
  memset(blocco, 'x', sizeof blocco);
  FILE* in = fopen(argv[1], "r");
  if (in == NULL) return fallito("open", argv[1]);
  char cosa[32], nome[1024], percorso[4096];
  unsigned long long byte;
  int operazioni = 0;
  while (fscanf(in, "%31s %1023s", cosa, nome) == 2) {
    snprintf(percorso, sizeof percorso, "%s/%s", cartella, nome);
    int esito;
    if (strcmp(cosa, "blocca") == 0) {
      esito = blocca();
    } else if (strcmp(cosa, "rimuovi") == 0) {
      esito = unlink(percorso) != 0 ? fallito("unlink", percorso) : 0;
    } else if ((strcmp(cosa, "leggi") == 0 || strcmp(cosa, "scrivi") == 0) && fscanf(in, "%llu", &byte) == 1) {
      esito = cosa[0] == 'l' ? leggi(percorso, byte) : scrivi(nome, percorso, byte);
    } else {
      fprintf(stderr, "pavimento: %s: cannot read \"%s %s\"\n", argv[1], cosa, nome);
      return 2;
    }
    if (esito != 0) return esito;
    ++operazioni;
  }
  fclose(in);
  if (operazioni == 0) {
    fprintf(stderr, "pavimento: nothing to replay in %s\n", argv[1]);
    return 1;
  }
  return 0;
}
