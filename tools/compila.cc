#include "tools/compila.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>

#include "app/form1.h"
#include "base/memfs.h"
#include "base/nomi_file.h"
#include "compile/codici.h"
#include "sources/campi.h"
#include "sources/chiavi.h"
#include "tools/controllo.h"
#include "tools/fs_sovrapposto.h"
#include "tools/identita.h"
#include "tools/messaggi.h"
#include "base/testo.h"

namespace binario {

namespace {

constexpr char kSeparatore = '/';

struct sorgente {
  std::string percorso;
  std::shared_ptr<const std::string> testo;  // null when the file does not exist
  std::vector<size_t> inizi;                 // where each line starts, built once

  void indicizza() {
    inizi.clear();
    if (!testo) return;
    inizi.push_back(0);
    for (size_t i = testo->find('\n'); i != std::string::npos; i = testo->find('\n', i + 1)) inizi.push_back(i + 1);
  }

  // Line `riga` (from 1), bytes as written, without its line end.
  std::string_view grezza(int riga) const {
    if (!testo || riga <= 0 || static_cast<size_t>(riga) > inizi.size()) return {};
    const size_t inizio = inizi[static_cast<size_t>(riga) - 1];
    size_t fine = static_cast<size_t>(riga) < inizi.size() ? inizi[static_cast<size_t>(riga)] - 1 : testo->size();
    if (fine > inizio && (*testo)[fine - 1] == '\r') --fine;
    if (fine > inizio && (*testo)[fine - 1] == '\n') --fine;
    return std::string_view(*testo).substr(inizio, fine - inizio);
  }
};

// Line `riga` of a description text, as UTF-8.
std::string riga_di(const sorgente& s, int riga) { return utf8_da_cp1252(s.grezza(riga)); }

struct contesto {
  const sorgente& linea;
  const sorgente& servizio;
  const sorgente* di(origine_errore o) const {
    if (o == origine_errore::descrizione_linea) return &linea;
    if (o == origine_errore::descrizione_servizio || o == origine_errore::post_pass) return &servizio;
    return nullptr;
  }
};

// The first comma-separated field of a raw line.
std::string_view prima_parola_di(std::string_view riga) { return riga.substr(0, riga.find(',')); }

std::string nome_testo(const contesto& c, const sorgente* s) {
  return s == &c.linea ? "file della linea" : "file del servizio";
}

// "campo 2 (velocità, km/h) di "velocita"" for a field the key table knows.
std::string nome_campo(const campo_sorgente& campo, std::string_view chiave, origine_errore o) {
  const testo_descrizione t =
      o == origine_errore::descrizione_linea ? testo_descrizione::linea : testo_descrizione::servizio;
  std::string out = "valore " + std::to_string(campo.indice);
  const voce_chiave* v = chiave_di_campo(chiave, t);
  if (v != nullptr) {
    if (const campo_chiave* k = campo_di(*v, campo.indice)) {
      out += " (" + std::string(k->nome) + (k->unita.empty() ? "" : ", " + std::string(k->unita)) + ")";
    }
    out += " di \"" + std::string(v->chiave) + "\"";
  }
  return out;
}

// What a field may hold, for a message.
std::string atteso(std::string_view chiave, int indice, origine_errore o) {
  const testo_descrizione t =
      o == origine_errore::descrizione_linea ? testo_descrizione::linea : testo_descrizione::servizio;
  const voce_chiave* v = chiave_di_campo(chiave, t);
  if (v == nullptr) return "";
  const campo_chiave* k = campo_di(*v, indice);
  if (k == nullptr) return "; la chiave vuole " + std::to_string(v->campi.size()) + " valori";
  return "; atteso: " + std::string(k->tipo);
}

std::optional<std::string> multiplo_vicino(const std::string& testo, int32_t passo) {
  try {
    const long long v = std::stoll(testo);
    const long long giu = v / passo * passo;
    return std::to_string(v - giu >= passo / 2 ? giu + passo : giu);
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

std::optional<std::string> suggerimento_per(const errore_registrato& e) {
  if (!e.campo) return std::nullopt;
  if (e.id_motivo == "unita-dopo-numero") {
    const std::string& t = e.campo->testo;
    const size_t fine = t.find_first_not_of("+-0123456789.");
    return t.substr(0, fine);
  }
  switch (e.codice) {
    case 2: case 3: case 4: case 8: return multiplo_vicino(e.campo->testo, 50);
    case 9: return multiplo_vicino(e.campo->testo, 100);
    default: return std::nullopt;
  }
}

std::string descrivi(const occupante& o) {
  return std::string(o.genere) + (o.riga > 0 ? " della riga " + std::to_string(o.riga) : "") + " (metro " +
         std::to_string(o.metro) + ")";
}

diagnostica diagnostica_di(const errore_registrato& e, const contesto& c, const std::vector<errore_registrato>& tutti) {
  diagnostica d;
  d.codice = e.codice;
  d.posizione = e.posizione;
  const voce_codice* voce = voce_di_codice(e.codice);
  d.messaggio = std::string(messaggio_errore(e.codice));
  d.id = voce != nullptr ? std::string(voce->id) : "codice-sconosciuto";
  d.interrompe = e.interrompe;
  const sorgente* s = c.di(e.origine);
  int riga = e.riga;
  if (e.origine == origine_errore::post_pass) {
    d.cella = e.cella;
    if (!d.cella && e.posizione) d.cella = *e.posizione / 50;
    riga = 0;
    if (e.altro && e.altro->riga > 0) {
      s = c.di(e.altro->origine);
      riga = e.altro->riga;
      const int32_t k = d.cella.value_or(0);
      d.correlati.push_back({s != nullptr ? s->percorso : "", riga, std::nullopt,
                             "per " + descrivi(*e.altro) + " non c'è posto: la cella " + std::to_string(k) +
                                 " (metri " + std::to_string(int64_t{k} * 50) + "-" +
                                 std::to_string(int64_t{k} * 50 + 49) + ") e quelle accanto sono occupate"});
    }
  }
  if (!e.motivo.empty()) {
    d.id = e.id_motivo;
    d.messaggio = e.motivo;
    if (e.campo && e.campo->indice > 0) {
      std::string chiave;
      if (s != nullptr) chiave = std::string(spoglia_blank(prima_parola_di(s->grezza(riga))));
      d.messaggio = nome_campo(*e.campo, chiave, e.origine) + ": " + e.motivo + atteso(chiave, e.campo->indice, e.origine);
    }
  }
  if (e.campo) {
    d.colonna = e.campo->colonna;
    d.fine_colonna = std::max(e.campo->fine_colonna, e.campo->colonna + 1);
  }
  d.suggerimento = suggerimento_per(e);
  if (e.altro && e.origine != origine_errore::post_pass) {
    const sorgente* so = c.di(e.altro->origine);
    d.correlati.push_back({so != nullptr ? so->percorso : "", e.altro->riga, std::nullopt,
                           (e.codice == 22 ? "la stazione precedente: " : "la cella è occupata da: ") +
                               descrivi(*e.altro)});
  }
  if (e.causa && *e.causa < tutti.size()) {
    const errore_registrato& prima = tutti[*e.causa];
    const sorgente* sp = c.di(prima.origine);
    d.messaggio = "l'errore " + std::to_string(e.codice) + " trovato prima" +
                  (sp != nullptr ? " nel " + nome_testo(c, sp) : std::string()) +
                  " ferma la lettura a questa riga, la prima che posa un segnale o un rallentamento: correggi "
                  "quell'errore";
    d.id = "arresto-per-errore-precedente";
    d.correlati.push_back({sp != nullptr ? sp->percorso : "", prima.riga,
                           prima.campo ? std::optional<int>(prima.campo->colonna) : std::nullopt,
                           "l'errore " + std::to_string(prima.codice) + " è qui"});
  }
  if (s != nullptr) {
    d.file = s->percorso;
    d.riga = riga;
    d.sorgente = riga_di(*s, riga);
  }
  return d;
}

Status leggi_sorgente(FileSystem& disco, sorgente& s) {
  if (!disco.exists(s.percorso)) return Status::ok();
  std::string testo;
  Status st = disco.read_file_limited(s.percorso, kMassimoTestoDescrizione, &testo);
  if (st.is_ok()) s.testo = std::make_shared<const std::string>(std::move(testo));
  return st;
}

bool e_numero(const std::string& campo) {
  const size_t inizio = campo.find_first_not_of(' ');
  if (inizio == std::string::npos) return false;
  const size_t fine = campo.find_last_not_of(' ') + 1;
  return campo.find_first_not_of("+0123456789.", inizio) >= fine;
}

void raccogli_errori(const Form1& form, const contesto& c, esito_compilazione& esito) {
  for (const errore_registrato& e : form.errori) {
    // A failed final check is reported on its own, from memorizza_percorso's result.
    if (e.codice == 1250 || e.codice == 1251) continue;
    esito.errori.push_back(diagnostica_di(e, c, form.errori));
  }
  if (esito.codice_errore != 0) {
    if (esito.errori.empty() || esito.errori.back().codice != esito.codice_errore) {
      // The code was left without a record: still show it, so that an exit
      // status of 1 never comes without a word.
      errore_registrato e;
      e.codice = esito.codice_errore;
      e.posizione = esito.posizione_errore;
      esito.errori.push_back(diagnostica_di(e, c, form.errori));
    }
    esito.errori.back().finale = true;
  }
  for (const diagnostica& d : esito.errori) esito.lettura_interrotta = esito.lettura_interrotta || d.interrompe;
}

std::vector<std::string> nomi_chiavi(testo_descrizione t) {
  std::vector<std::string> v;
  for (const voce_chiave& k : tabella_chiavi())
    if (k.testo == t) v.emplace_back(k.chiave);
  return v;
}

// Why a first field matched nothing, and what the author most likely meant.
void spiega_chiave(avviso& v, const std::string& campo, origine_errore o) {
  const testo_descrizione t = o == origine_errore::descrizione_linea ? testo_descrizione::linea : testo_descrizione::servizio;
  const testo_descrizione altro = t == testo_descrizione::linea ? testo_descrizione::servizio : testo_descrizione::linea;
  if (e_numero(campo)) {
    v.id = "valore-in-piu";
    v.messaggio = "\"" + campo + "\" " + std::string(kMessaggioValoreInPiu);
    return;
  }
  v.id = "chiave-sconosciuta";
  v.messaggio = "\"" + campo + "\" " + std::string(kMessaggioChiaveIgnorata);
  if (const voce_chiave* k = chiave_di_campo(campo, altro)) {
    v.id = "chiave-di-altro-file";
    v.messaggio += "; \"" + std::string(k->chiave) + "\" è una chiave del " +
                   (altro == testo_descrizione::linea ? "file della linea" : "file del servizio");
    return;
  }
  const std::vector<std::string> nomi = nomi_chiavi(t);
  if (auto s = piu_vicino(campo, nomi)) {
    v.suggerimento = *s;
    v.messaggio += "; forse intendevi \"" + *s + "\"?";
  }
}

void spiega_sezione(avviso& v, const std::string& campo, origine_errore o) {
  const testo_descrizione t = o == origine_errore::descrizione_linea ? testo_descrizione::linea : testo_descrizione::servizio;
  std::vector<std::string> nomi;
  for (std::string_view s : sezioni_di(t)) nomi.emplace_back(s);
  v.messaggio = "\"" + std::string(spoglia_blank(campo)) + "\" non è una sezione del " +
                (t == testo_descrizione::linea ? "file della linea" : "file del servizio") +
                ": le sue righe sono lette come se fossero nella sezione precedente";
  if (auto s = piu_vicino(campo, nomi)) {
    v.suggerimento = *s;
    v.messaggio += "; forse intendevi \"" + *s + "\"?";
  }
}

void raccogli_avvisi(const Form1& form, const contesto& c, esito_compilazione& esito) {
  for (const avviso_registrato& a : form.avvisi) {
    const sorgente* s = c.di(a.origine);
    const std::string file = s != nullptr ? s->percorso : "";
    std::string campo = utf8_da_cp1252(a.campo);
    if (a.id.empty() && !esito.avvisi.empty() && a.riga > 0 && esito.avvisi.back().file == file &&
        esito.avvisi.back().riga == a.riga && esito.avvisi.back().id != "sezione-sconosciuta") {
      esito.avvisi.back().campi.push_back(std::move(campo));
      continue;
    }
    avviso v;
    v.file = file;
    v.riga = a.riga;
    if (a.colonna > 0) {
      v.colonna = a.colonna;
      v.fine_colonna = std::max(a.fine_colonna, a.colonna + 1);
    }
    if (s != nullptr) v.sorgente = riga_di(*s, a.riga);
    if (a.id.empty()) {
      spiega_chiave(v, campo, a.origine);
    } else if (a.id == "sezione-sconosciuta") {
      v.id = a.id;
      spiega_sezione(v, campo, a.origine);
    } else {
      v.id = a.id;
      v.messaggio = a.messaggio;
    }
    v.campi.push_back(std::move(campo));
    esito.avvisi.push_back(std::move(v));
  }
}

void raccogli(const Form1& form, const contesto& c, esito_compilazione& esito) {
  esito.codice_errore = form.codice_errore;
  esito.posizione_errore = form.posizione_errore;
  esito.lettura_interrotta = form.lettura_interrotta;
  raccogli_errori(form, c, esito);
  raccogli_avvisi(form, c, esito);
  if (form.avvisi_tralasciati > 0) esito.troncato = true;
}

std::string nota_interruzione(const diagnostica& d, const std::string& percorso_linea) {
  if (d.file == percorso_linea && d.codice != 15)
    return "la lettura si è fermata a questo errore: le righe seguenti e il file del servizio non entrano nei file "
           "binari; quel che vi si trova ancora è segnato \"dopo l'arresto\"";
  return "la lettura del file si è fermata a questo errore: le righe seguenti non entrano nei file binari; quel che "
         "vi si trova ancora è segnato \"dopo l'arresto\"";
}

std::string plurale(size_t n, const char* uno, const char* molti, const char* nessuno) {
  if (n == 0) return nessuno;
  return std::to_string(n) + " " + (n == 1 ? uno : molti);
}

std::string luogo(const std::string& file, int riga, std::optional<int> colonna = std::nullopt) {
  if (file.empty()) return "binario";
  if (riga <= 0) return file;
  return file + ":" + std::to_string(riga) + (colonna ? ":" + std::to_string(*colonna) : "");
}

// A control byte in an echoed line would reach the terminal as a command.
std::string visibile(std::string_view testo) {
  std::string out;
  for (unsigned char ch : testo) {
    if ((ch < 0x20 && ch != '\t') || ch == 0x7F) {
      static constexpr char kHex[] = "0123456789abcdef";
      out += "\\x";
      out += kHex[ch >> 4];
      out += kHex[ch & 0xF];
    } else {
      out += static_cast<char>(ch);
    }
  }
  return out;
}

// The marker line under an echoed source line: blanks (tabs kept, so that
// it lines up) to the field, then a caret and tildes along it. The echo is
// UTF-8 of a Windows-1252 line, one character per source byte; an escaped
// control byte shows four wide.
std::string segno_sotto(const std::string& sorgente, int colonna, int fine_colonna) {
  std::string segno;
  size_t carattere = 0;  // index of the source byte being passed
  size_t lungo = 0;
  for (size_t i = 0; i < sorgente.size(); ++i) {
    const unsigned char ch = static_cast<unsigned char>(sorgente[i]);
    if ((ch & 0xC0) == 0x80) continue;  // a UTF-8 continuation: same character
    ++carattere;
    const size_t larghezza = ((ch < 0x20 && ch != '\t') || ch == 0x7F) ? 4 : 1;
    if (carattere < static_cast<size_t>(colonna)) {
      segno += ch == '\t' ? std::string(1, '\t') : std::string(larghezza, ' ');
    } else if (carattere < static_cast<size_t>(fine_colonna)) {
      lungo += larghezza;
    }
  }
  segno += '^';
  if (lungo > 1) segno += std::string(lungo - 1, '~');
  return segno;
}

void eco(std::string& out, int riga, const std::string& sorgente, const dettagli_diagnostica& d) {
  if (riga <= 0 || sorgente.empty()) return;
  const std::string numero = std::to_string(riga);
  out += "    " + numero + " | " + visibile(sorgente) + "\n";
  if (!d.colonna) return;
  out += "    " + std::string(numero.size(), ' ') + " | " +
         segno_sotto(sorgente, *d.colonna, d.fine_colonna.value_or(*d.colonna + 1)) + "\n";
}

std::optional<std::string> testo_o_null(const std::string& s) {
  if (s.empty()) return std::nullopt;
  return s;
}

template <typename T>
nlohmann::ordered_json o_null(const std::optional<T>& v) {
  return v ? nlohmann::ordered_json(*v) : nlohmann::ordered_json(nullptr);
}

righe_testo righe_di(const sorgente& s, testo_descrizione t) {
  righe_testo out{s.percorso, t, {}};
  for (int n = 1; n <= static_cast<int>(s.inizi.size()); ++n) out.righe.push_back(s.grezza(n));
  return out;
}

// Where the reader stopped in each text decides what the checking pass
// still has to read: the rest of that text, and all of the service text
// when the line text's stop ended the reading before it.
void controlla_il_resto(const sorgente& linea, const sorgente& servizio, std::optional<int64_t> lunghezza,
                        esito_compilazione& esito) {
  std::optional<int> da_linea, da_servizio;
  for (const diagnostica& d : esito.errori) {
    if (!d.interrompe) continue;
    if (d.file == linea.percorso && !da_linea) {
      da_linea = d.riga + 1;
      if (d.codice != 15) da_servizio = 1;
    } else if (d.file == servizio.percorso && !da_servizio) {
      da_servizio = d.riga + 1;
    }
  }
  // Each text's lines, split once for both passes.
  std::optional<righe_testo> righe_linea, righe_servizio;
  if (linea.testo) righe_linea = righe_di(linea, testo_descrizione::linea);
  if (servizio.testo) righe_servizio = righe_di(servizio, testo_descrizione::servizio);

  std::vector<diagnostica> errori;
  bool completo = true;
  if (da_linea && righe_linea) completo &= controlla_righe(*righe_linea, *da_linea, errori, esito.avvisi);
  if (da_servizio && righe_servizio) completo &= controlla_righe(*righe_servizio, *da_servizio, errori, esito.avvisi);
  for (diagnostica& d : errori) esito.errori.push_back(std::move(d));

  quadro_testo q{lunghezza, linea.percorso, 0, 0};
  if (righe_linea) {
    q.riga_lunghezza = riga_della_lunghezza(*righe_linea);
    q.arresto = da_linea.value_or(1) - 1;
    completo &= avvisa_testo(*righe_linea, q, esito.avvisi);
  }
  if (righe_servizio) {
    q.arresto = da_servizio.value_or(1) - 1;
    completo &= avvisa_testo(*righe_servizio, q, esito.avvisi);
  }
  if (!completo) esito.troncato = true;
}

// One mistake, one diagnostic: what the whole-text pass names exactly, the
// reader saw only by its effect (a file without "[generale]", the cut-off
// rest of a name read as a key); an item past the grid is an error already.
void togli_doppioni(esito_compilazione& esito) {
  // Noted once, before anything is taken away, and looked up per warning: a
  // long text may carry a warning on every line and an error on many.
  std::set<std::pair<std::string, int>> errori;                 // file, line
  std::set<std::tuple<std::string, std::string, int>> avvisi;  // id, file, line (0: any line)
  for (const diagnostica& d : esito.errori) errori.emplace(d.file, d.riga);
  for (const avviso& b : esito.avvisi) {
    avvisi.emplace(b.id, b.file, b.riga);
    avvisi.emplace(b.id, b.file, 0);
  }
  auto errore_su = [&](const avviso& a) { return errori.count({a.file, a.riga}) != 0; };
  auto vale_per = [&](const avviso& a, std::string_view id, bool stessa_riga) {
    return avvisi.count({std::string(id), a.file, stessa_riga ? a.riga : 0}) != 0;
  };
  std::erase_if(esito.avvisi, [&](const avviso& a) {
    if (a.id == "generale-mancante") return vale_per(a, "file-vuoto", false) || vale_per(a, "senza-chiavi", false);
    if (a.id == "chiave-sconosciuta" || a.id == "valore-in-piu") return vale_per(a, "virgola-nel-nome", true);
    if (a.id == "oltre-fine-linea") return errore_su(a);
    return false;
  });
}

// The line's length as the reader took it: the grid exists once it has.
std::optional<int64_t> lunghezza_letta(const Form1& form) {
  if (form.numero_celle <= 0) return std::nullopt;
  return form.voci[slot_voce::convoglio].fine_zona;
}

// Why the identity cannot be compiled, checked again for callers other than
// the command line: nothing may be read or written under a refused name.
std::optional<std::string> identita_rifiutata(const richiesta_compilazione& r) {
  if (auto m = motivo_nome_rifiutato(r.linea)) return "--line rifiutato: " + *m;
  if (auto m = motivo_nome_rifiutato(r.treno)) return "--train rifiutato: " + *m;
  if (auto m = motivo_coppia_rifiutata(r.linea, r.treno)) return "--line e --train rifiutati: " + *m;
  return std::nullopt;
}

}  // namespace

esito_compilazione compila(FileSystem& disco, const richiesta_compilazione& r) {
  esito_compilazione esito;
  if (auto motivo = identita_rifiutata(r)) {
    esito.guasto = *motivo;
    return esito;
  }
  std::unique_ptr<BloccoCartella> blocco;
  if (Status st = disco.lock_directory(r.cartella, r.attesa_ms, &blocco); !st.is_ok()) {
    esito.guasto = st.to_string();
    return esito;
  }
  const std::string base = r.cartella + kSeparatore;
  sorgente linea{base + nome_descrizione_linea(r.linea), nullptr, {}};
  sorgente servizio{base + nome_descrizione_servizio(r.linea, r.treno), nullptr, {}};
  esito.file_linea = linea.percorso;
  for (sorgente* s : {&linea, &servizio}) {
    Status st = leggi_sorgente(disco, *s);
    if (!st.is_ok()) {
      esito.guasto = st.to_string();
      return esito;
    }
    s->indicizza();
  }

  // `check` compiles just the same, into memory that is then dropped.
  MemFileSystem scarto;
  FileSystemSovrapposto fs(r.scrivi ? disco : scarto, {linea.percorso, servizio.percorso});
  for (const sorgente* s : {&linea, &servizio}) fs.poni_testo(s->percorso, s->testo);

  // Records and codes take the identity in Windows-1252; Form1 turns file
  // names back into the UTF-8 the author typed.
  Form1 form(fs, {identita_cp1252(r.linea), identita_cp1252(r.treno), r.cartella, kSeparatore});
  Status st;
  try {
    st = form.memorizza_percorso(r.tracciato ? 1 : 0);
  } catch (const std::exception& e) {
    // memorizza_percorso contains its own failures; one that escapes is a
    // fault of the compile, reported rather than allowed to end the tool.
    esito.guasto = std::string("errore interno della compilazione: ") + e.what();
  }
  if (st.is_fatale()) esito.fatale = st.numero();
  else if (!st.is_ok()) esito.guasto = st.to_string();

  raccogli(form, contesto{linea, servizio}, esito);
  controlla_il_resto(linea, servizio, lunghezza_letta(form), esito);
  togli_doppioni(esito);
  if (r.scrivi)
    for (const std::string& p : fs.scritti())
    esito.file_scritti.push_back(p.compare(0, base.size(), base) == 0 ? p.substr(base.size()) : p);
  return esito;
}

int stato_uscita(const esito_compilazione& esito) {
  if (esito.guasto) return 2;
  if (esito.fatale) return 3;
  return esito.codice_errore != 0 || !esito.errori.empty() ? 1 : 0;
}

namespace {

void scrivi_note(std::string& out, const dettagli_diagnostica& d) {
  for (const nota_correlata& n : d.correlati)
    out += luogo(n.file, n.riga, n.colonna) + ": nota: " + n.messaggio + "\n";
  if (!d.suggerimento) return;
  // A suggestion that is itself a quoted text is shown as it is to be typed.
  const std::string s = visibile(*d.suggerimento);
  out += "    suggerimento: scrivi " + (s.starts_with('"') ? s : "\"" + s + "\"") + "\n";
}

}  // namespace

std::string testo_diagnostica(const esito_compilazione& esito) {
  std::string out;
  for (const avviso& a : esito.avvisi) {
    out += luogo(a.file, a.riga, a.colonna) + ": avviso: " + visibile(a.messaggio) + "\n";
    eco(out, a.riga, a.sorgente, a);
    scrivi_note(out, a);
  }
  for (const diagnostica& d : esito.errori) {
    out += luogo(d.file, d.riga, d.riga > 0 ? d.colonna : std::nullopt) + ": errore " + std::to_string(d.codice);
    if (d.cella)
      out += " alla cella " + std::to_string(*d.cella) + (d.posizione ? " (metro " + std::to_string(*d.posizione) + ")" : "");
    else if (d.posizione)
      out += " al metro " + std::to_string(*d.posizione);
    out += ": " + visibile(d.messaggio);
    if (d.finale) out += " [resta in codice_errore]";
    if (d.dopo_arresto) out += " [trovato dopo l'arresto della lettura: i file binari non ne tengono conto]";
    out += "\n";
    eco(out, d.riga, d.sorgente, d);
    scrivi_note(out, d);
    if (d.interrompe && d.riga > 0) out += luogo(d.file, d.riga) + ": nota: " + nota_interruzione(d, esito.file_linea) + "\n";
  }
  if (esito.fatale)
    out += "binario: errore " + std::to_string(*esito.fatale) + ": " + std::string(messaggio_errore(*esito.fatale)) + "\n";
  if (esito.guasto) out += "binario: " + *esito.guasto + "\n";

  out += "binario: ";
  if (esito.guasto) out += "compilazione interrotta da un errore di file; ";
  out += plurale(esito.errori.size(), "errore", "errori", "nessun errore") + ", " +
         plurale(esito.avvisi.size(), "avviso", "avvisi", "nessun avviso");
  if (esito.troncato)
    out += " (troppi: se ne mostrano al più " + std::to_string(kMassimoAvvisi) +
           " per tipo, gli altri non sono stati cercati o tenuti)";
  if (esito.codice_errore != 0)
    out += "; codice_errore " + std::to_string(esito.codice_errore) + ", posizione_errore " +
           std::to_string(esito.posizione_errore);
  if (esito.file_scritti.empty()) {
    out += "; nessun file binario scritto";
  } else {
    out += "; scritti:";
    for (const std::string& f : esito.file_scritti) out += " " + f;
  }
  return out + "\n";
}

namespace {

void aggiungi_dettagli(nlohmann::ordered_json& j, const dettagli_diagnostica& d) {
  j["column"] = o_null(d.colonna);
  j["end_column"] = o_null(d.fine_colonna);
  j["id"] = d.id;
  nlohmann::ordered_json correlati = nlohmann::ordered_json::array();
  for (const nota_correlata& n : d.correlati)
    correlati.push_back({{"file", o_null(testo_o_null(n.file))},
                         {"line", n.riga > 0 ? nlohmann::ordered_json(n.riga) : nlohmann::ordered_json(nullptr)},
                         {"column", o_null(n.colonna)},
                         {"message", n.messaggio}});
  j["related"] = correlati;
  j["suggestion"] = o_null(d.suggerimento);
  j["after_stop"] = d.dopo_arresto;
}

}  // namespace

nlohmann::ordered_json json_compilazione(const esito_compilazione& esito) {
  nlohmann::ordered_json errori = nlohmann::ordered_json::array();
  const diagnostica* finale = nullptr;
  for (const diagnostica& d : esito.errori) {
    if (d.finale) finale = &d;
    errori.push_back({{"code", d.codice},
                      {"position", o_null(d.posizione)},
                      {"cell", o_null(d.cella)},
                      {"file", o_null(testo_o_null(d.file))},
                      {"line", d.riga > 0 ? nlohmann::ordered_json(d.riga) : nlohmann::ordered_json(nullptr)},
                      {"source", o_null(testo_o_null(d.sorgente))},
                      {"message", d.messaggio},
                      {"final", d.finale},
                      {"stopped_reading", d.interrompe}});
    aggiungi_dettagli(errori.back(), d);
  }
  nlohmann::ordered_json avvisi = nlohmann::ordered_json::array();
  for (const avviso& a : esito.avvisi)
    avvisi.push_back({{"file", o_null(testo_o_null(a.file))},
                      {"line", a.riga > 0 ? nlohmann::ordered_json(a.riga) : nlohmann::ordered_json(nullptr)},
                      {"field", a.campi.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(a.campi.front())},
                      {"fields", a.campi},
                      {"source", o_null(testo_o_null(a.sorgente))},
                      {"message", a.messaggio}});
  for (size_t i = 0; i < esito.avvisi.size(); ++i) aggiungi_dettagli(avvisi[i], esito.avvisi[i]);

  nlohmann::ordered_json riga = nullptr;
  std::string messaggio;
  if (esito.fatale) {
    messaggio = std::string(messaggio_errore(*esito.fatale));
  } else if (finale != nullptr) {
    messaggio = finale->messaggio;
    if (finale->riga > 0) riga = finale->riga;
  }
  return {{"codice_errore", esito.codice_errore},
          {"posizione_errore", esito.posizione_errore},
          {"fatal", esito.fatale ? nlohmann::ordered_json(std::to_string(*esito.fatale)) : nlohmann::ordered_json(nullptr)},
          {"line", riga},
          {"message", messaggio},
          {"reading_stopped", esito.lettura_interrotta},
          {"errors", errori},
          {"warnings", avvisi},
          {"truncated", esito.troncato},
          {"files", esito.file_scritti},
          {"failure", o_null(esito.guasto)}};
}

}  // namespace binario
