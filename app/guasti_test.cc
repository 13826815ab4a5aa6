// Every file operation of the run, made to fail in turn. A failure while a
// file is being written stops the run at that step with the error, and the
// directory is left exactly as it was before the step began: the files of
// the earlier steps whole, the file of the step and every later one as they
// were (old content, or absent), no temporary file under any name. A failure
// inside the reader is its code 25 instead, and the compile goes on.
#include "testing/cartella_temporanea.h"
#include "testing/guasti.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <map>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "app/form1.h"
#include "base/memfs.h"
#include "base/nomi_file.h"
#include "app/run.h"
#include "base/scrittura.h"
#include "sources/nomi.h"

namespace binario {
namespace {

using Cartella = std::map<std::string, std::string>;

constexpr const char* kDir = "/prog";

std::string in_cartella(const std::string& nome) { return std::string(kDir) + "/" + nome; }
std::string nome_di(const std::string& percorso) { return percorso.substr(percorso.rfind('/') + 1); }

const std::vector<std::string>& file_descrizione() {
  static const std::vector<std::string> n = {in_cartella(nome_descrizione_linea(kNomeLinea)),
                                             in_cartella(nome_descrizione_servizio(kNomeLinea, kNumeroTreno))};
  return n;
}

const std::vector<std::string>& file_binari() {
  static const std::vector<std::string> n = {in_cartella(nome_file_tracciato(kNomeLinea)),
                                             in_cartella(nome_file_voci(kNomeLinea, kNumeroTreno)),
                                             in_cartella(nome_file_griglia(kNomeLinea, kNumeroTreno))};
  return n;
}

const std::vector<std::string>& file_documenti() {
  static const std::vector<std::string> n = {in_cartella(nome_note(kNomeLinea, kNumeroTreno)),
                                             in_cartella(nome_rallentamenti(kNomeLinea, kNumeroTreno)),
                                             in_cartella(nome_scheda(kNomeLinea, kNumeroTreno))};
  return n;
}

bool tra(const std::vector<std::string>& nomi, const std::string& nome) {
  for (const std::string& n : nomi)
    if (n == nome) return true;
  return false;
}

// The file a call works for: a temporary stands for the file it replaces.
std::string bersaglio(const std::string& path) { return bersaglio_del_temporaneo(path); }

// Only the reader reads, and only the reader deletes a file that is not a
// temporary.
bool del_lettore(const chiamata_fs& c) {
  return c.operazione == operazione_fs::leggi ||
         (c.operazione == operazione_fs::cancella && bersaglio(c.percorso) == c.percorso);
}

// What differs between two directories, by name and size: empty when equal.
std::string differenze(const Cartella& attesa, const Cartella& reale) {
  std::string d;
  for (const auto& [nome, dati] : attesa) {
    auto it = reale.find(nome);
    if (it == reale.end())
      d += "missing " + nome + "; ";
    else if (it->second != dati)
      d += "changed " + nome + " (" + std::to_string(dati.size()) + " -> " + std::to_string(it->second.size()) +
           " bytes); ";
  }
  for (const auto& [nome, dati] : reale)
    if (attesa.count(nome) == 0) d += "extra " + nome + " (" + std::to_string(dati.size()) + " bytes); ";
  return d;
}

Form1 nuovo_form(FileSystem& fs, const std::string& cartella = kDir) {
  Form1 f(fs, cartella, '/');
  f.nome_linea = kNomeLinea;
  f.numero_treno = kNumeroTreno;
  return f;
}

// Tables of a small compiled scenario, large enough for the plan file to
// take several writes.
void tabelle_piccole(Form1& f) {
  f.scrivi_tracciato = 1;
  f.lunghezza_estesa = 9000;
  f.numero_celle = 180;
  f.griglia_celle.assign(181, cella{});
  f.griglia_celle[1].valore_a = 5121;
  f.griglia_celle[12].tipo = tipo_cella::segnale;
  f.voci[1].nome = std::string(nomi::kStazioni[0].nome);
  f.voci[85].nome = f.nome_linea;
  f.voci[86].nome = f.numero_treno;
  f.tracciato.crea(f.lunghezza_estesa);
  f.tracciato.poni_origine();
  f.tracciato.avanza(0.0001, f.lunghezza_estesa - 3);
}

struct Scenario {
  const char* nome;
  bool file_vecchi;  // the directory holds an older version of every output
  void (*prepara)(Form1&);
  Status (*azione)(Form1&);
};

const Scenario kScenari[] = {
    {"run, empty directory", false, nullptr, [](Form1& f) { return f.esegui_passi(); }},
    {"run over an earlier run", true, nullptr, [](Form1& f) { return f.esegui_passi(); }},
    {"binary files over earlier ones", true, tabelle_piccole, [](Form1& f) { return f.scrivi_file_binari(); }},
};

void riempi(MemFileSystem& mem, const Scenario& sc) {
  if (!sc.file_vecchi) return;
  for (const auto* gruppo : {&file_descrizione(), &file_documenti(), &file_binari()})
    for (const std::string& n : *gruppo) mem.files()[n] = "vecchio contenuto di " + n;
}

// What a clean run does.
struct Profilo {
  std::vector<chiamata_fs> chiamate;
  std::map<std::string, Cartella> prima;  // the directory before the first call for each file
  Cartella iniziale;
  Cartella finale;
};

Profilo profila(const Scenario& sc) {
  MemFileSystem mem;
  riempi(mem, sc);
  FaultyFileSystem fs(mem);
  Profilo p;
  p.iniziale = mem.files();
  fs.osserva([&](const chiamata_fs& c) {
    const std::string t = bersaglio(c.percorso);
    if (p.prima.count(t) == 0) p.prima[t] = mem.files();
  });
  Form1 form = nuovo_form(fs);
  if (sc.prepara) sc.prepara(form);
  Status s = sc.azione(form);
  EXPECT_TRUE(s.is_ok()) << sc.nome << ": " << s.to_string();
  p.chiamate = fs.registro();
  p.finale = mem.files();
  return p;
}

struct Esito {
  Status status;
  Cartella cartella;
  std::vector<chiamata_fs> chiamate;
  std::optional<size_t> guasta;
  int32_t codice_errore = 0;
  bool griglia = false;
  std::string binari;  // verifica_file_binari
};

Esito esegui(const Scenario& sc, const std::function<void(FaultyFileSystem&)>& guasto) {
  MemFileSystem mem;
  riempi(mem, sc);
  FaultyFileSystem fs(mem);
  guasto(fs);
  Form1 form = nuovo_form(fs);
  if (sc.prepara) sc.prepara(form);
  Esito e;
  e.status = sc.azione(form);
  e.cartella = mem.files();
  e.chiamate = fs.registro();
  e.guasta = fs.chiamata_guasta();
  e.codice_errore = form.codice_errore;
  e.griglia = form.griglia_creata();
  if (e.status.is_ok()) e.binari = verifica_file_binari(form);
  return e;
}

// The run stopped at the step that writes `file`, with the error of the
// failed call, and left the directory as it was before that step.
void controlla_arresto(const Profilo& p, const Esito& e, const std::string& file, int numero,
                       const std::string& descrizione) {
  ASSERT_FALSE(e.status.is_ok());
  EXPECT_FALSE(e.status.is_fatale());
  EXPECT_EQ(e.status.numero(), numero);
  EXPECT_EQ(e.status.descrizione().substr(0, descrizione.size()), descrizione);
  EXPECT_EQ(e.status.file(), file) << "the message must name the file of the step";
  EXPECT_EQ(differenze(p.prima.at(file), e.cartella), "");
  ASSERT_TRUE(e.guasta.has_value());
  for (size_t k = *e.guasta + 1; k < e.chiamate.size(); ++k)
    EXPECT_EQ(bersaglio(e.chiamate[k].percorso), file)
        << "call " << k << " (" << nome_operazione(e.chiamate[k].operazione) << ") after the failure";
}

// The reader turned the failure into code 25; the compile went on.
void controlla_lettore(const Profilo& p, const Esito& e) {
  ASSERT_TRUE(e.status.is_ok()) << e.status.to_string();
  EXPECT_EQ(e.codice_errore, 25);
  EXPECT_EQ(e.binari, "");
  for (const auto& [nome, dati] : e.cartella) {
    if (tra(file_descrizione(), nome)) {
      ADD_FAILURE() << nome << " left behind";
    } else if (tra(file_documenti(), nome)) {
      EXPECT_TRUE(p.finale.count(nome) && p.finale.at(nome) == dati) << nome << " changed";
    } else if (!tra(file_binari(), nome)) {
      ADD_FAILURE() << "extra " << nome;
    }
  }
  // Without a grid no binary file is written: each stays as it was.
  if (e.griglia) return;
  for (const std::string& n : file_binari()) {
    auto prima = p.iniziale.find(n);
    auto dopo = e.cartella.find(n);
    EXPECT_EQ(prima == p.iniziale.end(), dopo == e.cartella.end()) << n;
    if (prima != p.iniziale.end() && dopo != e.cartella.end()) {
      EXPECT_EQ(prima->second, dopo->second) << n;
    }
  }
}

struct Guasto {
  operazione_fs op;
  int err;
  bool eseguita;  // carried out, then reported as failed
  int numero;
  const char* descrizione;
};

const Guasto kGuasti[] = {
    {operazione_fs::crea, EACCES, false, 75, "Path/File access error"},
    // The directory entry was made before the disk refused.
    {operazione_fs::crea, ENOSPC, true, 61, "Disk full"},
    {operazione_fs::scrivi, ENOSPC, false, 61, "Disk full"},
    {operazione_fs::scrivi, EIO, true, 57, "Device I/O error"},
    {operazione_fs::svuota, EIO, false, 57, "Device I/O error"},
    // Delayed allocation reports a full disk only when the file is closed.
    {operazione_fs::chiudi, ENOSPC, false, 61, "Disk full"},
    {operazione_fs::rinomina, EBUSY, false, 75, "Path/File access error"},
    {operazione_fs::cancella, EACCES, false, 75, "Path/File access error"},
    // The file went, but the answer said it did not.
    {operazione_fs::cancella, EIO, true, 57, "Device I/O error"},
    {operazione_fs::leggi, EIO, false, 57, "Device I/O error"},
};

TEST(Guasti, EachFileOperationFailingInTurn) {
  for (const Scenario& sc : kScenari) {
    SCOPED_TRACE(sc.nome);
    const Profilo p = profila(sc);
    for (const Guasto& g : kGuasti) {
      int n = 0;
      for (const chiamata_fs& c : p.chiamate) {
        if (c.operazione != g.op) continue;
        SCOPED_TRACE(std::string(nome_operazione(g.op)) + " #" + std::to_string(n) + " " + c.percorso +
                     (g.eseguita ? " (carried out)" : "") + " errno " + std::to_string(g.err));
        const Esito e = esegui(sc, [&](FaultyFileSystem& fs) { fs.guasta(g.op, n, g.err, g.eseguita); });
        if (del_lettore(c))
          controlla_lettore(p, e);
        else
          controlla_arresto(p, e, bersaglio(c.percorso), g.numero, g.descrizione);
        ++n;
      }
    }
  }
}

// A disk that fills up part way through a file: some bytes of it land, then
// the write fails.
TEST(Guasti, DiskFullPartWayThroughEachFile) {
  for (const Scenario& sc : kScenari) {
    SCOPED_TRACE(sc.nome);
    const Profilo p = profila(sc);
    std::map<std::string, std::pair<size_t, size_t>> spazio;  // file -> first byte, bytes
    std::vector<std::string> ordine;
    size_t scritti = 0;
    for (const chiamata_fs& c : p.chiamate) {
      if (c.operazione != operazione_fs::scrivi) continue;
      const std::string t = bersaglio(c.percorso);
      if (spazio.count(t) == 0) {
        spazio[t] = {scritti, 0};
        ordine.push_back(t);
      }
      spazio[t].second += c.byte;
      scritti += c.byte;
    }
    for (const std::string& file : ordine) {
      const auto [inizio, byte] = spazio[file];
      std::set<size_t> capacita = {inizio, inizio + 1, inizio + byte / 2, inizio + byte - 1};
      for (size_t cap : capacita) {
        if (cap < inizio || cap >= inizio + byte) continue;
        SCOPED_TRACE(file + " with room for " + std::to_string(cap - inizio) + " of its bytes");
        const Esito e = esegui(sc, [&](FaultyFileSystem& fs) { fs.disco_pieno(cap); });
        controlla_arresto(p, e, file, 61, "Disk full");
      }
    }
  }
}

TEST(Guasti, DirectoryThatCannotBeWritten) {
  for (const Scenario& sc : kScenari) {
    SCOPED_TRACE(sc.nome);
    const Profilo p = profila(sc);
    ASSERT_FALSE(p.chiamate.empty());
    const Esito e = esegui(sc, [](FaultyFileSystem& fs) { fs.cartella_protetta(kDir); });
    controlla_arresto(p, e, bersaglio(p.chiamate.front().percorso), 75, "Path/File access error");
    EXPECT_EQ(differenze(p.iniziale, e.cartella), "");
  }
}

// A writer stopped by an exception part way through (memory exhausted, say)
// leaves neither its temporary nor a damaged target.
TEST(Guasti, WriterStoppedByAnExceptionLeavesNoTemporary) {
  MemFileSystem mem;
  mem.files()["/d/f"] = "vecchio";
  EXPECT_THROW(sostituisci_file(mem, "/d/f",
                                [](Scrittore& w) {
                                  for (int i = 0; i < 50000; ++i) w.i32(i);
                                  throw std::bad_alloc();
                                }),
               std::bad_alloc);
  EXPECT_EQ(differenze(Cartella{{"/d/f", "vecchio"}}, mem.files()), "");
}

// The same on the machine's own disk, where root may write any file: the
// run itself must refuse a file without write permission.
class GuastiSuDisco : public ::testing::Test {
 protected:
  cartella_temporanea temporanea_;

  Cartella leggi_cartella() {
    Cartella c;
    for (const auto& voce : std::filesystem::directory_iterator(dir_)) {
      std::string dati;
      EXPECT_TRUE(file_system_posix().read_file(voce.path().string(), &dati).is_ok());
      c[voce.path().filename().string()] = dati;
    }
    return c;
  }
  void scrivi(const std::string& nome, const std::string& dati) {
    std::unique_ptr<WritableFile> f;
    ASSERT_TRUE(file_system_posix().new_writable_file(dir_ + "/" + nome, &f).is_ok());
    ASSERT_TRUE(f->append(dati).is_ok());
    ASSERT_TRUE(f->close().is_ok());
  }

  const std::string dir_ = temporanea_.percorso();
};

TEST_F(GuastiSuDisco, ReadOnlyFileStopsTheRunAtTheStepThatWritesIt) {
  // Each file as the run finishes it: the description texts as their writers
  // leave them, before the reader deletes them.
  const Profilo p = profila(kScenari[0]);
  std::vector<std::string> ordine;  // names, in the order the run finishes them
  for (const chiamata_fs& c : p.chiamate)
    if (c.operazione == operazione_fs::rinomina) ordine.push_back(nome_di(c.destinazione));
  Cartella riferimento;
  for (const auto& [n, d] : p.prima.at(file_documenti()[0])) riferimento[nome_di(n)] = d;
  for (const auto& [n, d] : p.finale) riferimento[nome_di(n)] = d;

  std::vector<std::string> tutti;
  for (const auto* gruppo : {&file_descrizione(), &file_documenti(), &file_binari()})
    for (const std::string& n : *gruppo) tutti.push_back(nome_di(n));
  ASSERT_EQ(ordine.size(), tutti.size()) << "every step writes its file";

  for (size_t k = 0; k < ordine.size(); ++k) {
    const std::string& bloccato = ordine[k];
    SCOPED_TRACE(bloccato + " read-only");
    for (const std::string& n : tutti) scrivi(n, "vecchio " + n);
    const std::string percorso_bloccato = dir_ + "/" + bloccato;
    std::filesystem::permissions(percorso_bloccato, std::filesystem::perms(0444));
    Form1 f = nuovo_form(file_system_posix(), dir_);
    const Status s = f.esegui_passi();
    std::filesystem::permissions(percorso_bloccato, std::filesystem::perms(0644));

    ASSERT_FALSE(s.is_ok());
    EXPECT_EQ(s.numero(), 75);
    EXPECT_EQ(s.descrizione(), "Path/File access error");
    const bool compilato = tra(file_binari(), in_cartella(bloccato));
    Cartella attesa;
    for (const std::string& n : tutti) attesa[n] = "vecchio " + n;
    for (size_t i = 0; i < k; ++i) attesa[ordine[i]] = riferimento[ordine[i]];
    if (compilato)  // the reader has read and deleted the description texts
      for (const std::string& n : file_descrizione()) attesa.erase(nome_di(n));
    EXPECT_EQ(differenze(attesa, leggi_cartella()), "");
    for (const std::string& n : tutti) std::filesystem::remove(dir_ + "/" + n);
  }
}

// A directory that cannot be written, for root too: a path through a
// regular file.
TEST_F(GuastiSuDisco, PathThroughARegularFileStopsTheFirstStep) {
  scrivi("non-una-cartella", "dati");
  Form1 f = nuovo_form(file_system_posix(), dir_ + "/non-una-cartella");
  const Status s = f.esegui_passi();
  ASSERT_FALSE(s.is_ok());
  EXPECT_EQ(s.numero(), 75);
  EXPECT_EQ(s.descrizione(), "Path/File access error");
  EXPECT_EQ(differenze(Cartella{{"non-una-cartella", "dati"}}, leggi_cartella()), "");
}

}  // namespace
}  // namespace binario
