#include "tools/compila.h"

#include <exception>
#include <memory>

#include "app/form1.h"
#include "app/nomi_file.h"
#include "tools/fs_sovrapposto.h"
#include "tools/identita.h"
#include "tools/messaggi.h"
#include "tools/utf8.h"

namespace binario {

namespace {

constexpr char kSeparatore = '/';

struct sorgente {
  std::string percorso;
  std::optional<std::string> testo;  // nothing when the file does not exist
};

// Line `riga` (from 1) of a description text, without its line end.
std::string riga_di(const sorgente& s, int riga) {
  if (!s.testo || riga <= 0) return "";
  size_t inizio = 0;
  for (int n = 1; n < riga; ++n) {
    inizio = s.testo->find('\n', inizio);
    if (inizio == std::string::npos) return "";
    ++inizio;
  }
  size_t fine = s.testo->find('\n', inizio);
  if (fine == std::string::npos) fine = s.testo->size();
  if (fine > inizio && (*s.testo)[fine - 1] == '\r') --fine;
  return da_cp1252(std::string_view(*s.testo).substr(inizio, fine - inizio));
}

struct contesto {
  const sorgente& linea;
  const sorgente& servizio;
  const sorgente* di(origine_errore o) const {
    if (o == origine_errore::descrizione_linea) return &linea;
    if (o == origine_errore::descrizione_servizio || o == origine_errore::post_pass) return &servizio;
    return nullptr;
  }
};

bool della_lettura(origine_errore o) {
  return o == origine_errore::descrizione_linea || o == origine_errore::descrizione_servizio;
}

diagnostica diagnostica_di(const errore_registrato& e, const contesto& c) {
  diagnostica d;
  d.codice = e.codice;
  d.posizione = e.posizione;
  d.messaggio = std::string(messaggio_errore(e.codice));
  const sorgente* s = c.di(e.origine);
  int riga = e.riga;
  if (e.codice == 2) {
    // Found at the end of the service text, but the values are the line's.
    s = &c.linea;
    riga = 0;
  }
  if (e.origine == origine_errore::post_pass) {
    riga = 0;
    d.cella = e.cella;
    if (!d.cella && e.posizione) d.cella = *e.posizione / 50;
  }
  const bool dal_servizio = e.origine == origine_errore::descrizione_servizio || e.origine == origine_errore::nessuna;
  if (e.riportato) {
    d.messaggio = "l'errore " + std::to_string(e.codice) +
                  " trovato prima nel file di linea ferma la lettura a questa riga, la prima che posa un segnale o "
                  "un rallentamento: correggi quell'errore";
  }
  if (e.codice == 25 && dal_servizio && c.linea.testo && !c.servizio.testo) {
    s = &c.servizio;
    riga = 0;
    d.messaggio = std::string(kMessaggioServizioMancante);
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
  if (st.is_ok()) s.testo = std::move(testo);
  return st;
}

bool e_numero(const std::string& campo) {
  const size_t inizio = campo.find_first_not_of(' ');
  if (inizio == std::string::npos) return false;
  const size_t fine = campo.find_last_not_of(' ') + 1;
  return campo.find_first_not_of("+0123456789.", inizio) >= fine;
}

void raccogli_errori(const Form1& form, const contesto& c, esito_compilazione& esito) {
  std::optional<size_t> ultimo_della_lettura;
  for (const errore_registrato& e : form.errori) {
    // A failed final check is reported on its own, from memorizza_percorso's result.
    if (e.codice == 1250 || e.codice == 1251) continue;
    esito.errori.push_back(diagnostica_di(e, c));
    if (!della_lettura(e.origine)) continue;
    ultimo_della_lettura = esito.errori.size() - 1;
    // A position outside the grid ends the reading of its own file, though
    // the reader goes on with the next one and does not call it interrupted.
    if (e.codice == 15) esito.errori.back().interrompe = true;
  }
  // After an interruption the reader records nothing more.
  if (form.lettura_interrotta && ultimo_della_lettura) esito.errori[*ultimo_della_lettura].interrompe = true;
  if (esito.codice_errore != 0) {
    if (esito.errori.empty() || esito.errori.back().codice != esito.codice_errore) {
      // The code was left without a record: still show it, so that an exit
      // status of 1 never comes without a word.
      errore_registrato e;
      e.codice = esito.codice_errore;
      e.posizione = esito.posizione_errore;
      esito.errori.push_back(diagnostica_di(e, c));
    }
    esito.errori.back().finale = true;
  }
  for (const diagnostica& d : esito.errori) esito.lettura_interrotta = esito.lettura_interrotta || d.interrompe;
}

void raccogli_avvisi(const Form1& form, const contesto& c, esito_compilazione& esito) {
  for (const avviso_registrato& a : form.avvisi) {
    const sorgente* s = c.di(a.origine);
    const std::string file = s != nullptr ? s->percorso : "";
    std::string campo = da_cp1252(a.campo);
    if (!esito.avvisi.empty() && a.riga > 0 && esito.avvisi.back().file == file && esito.avvisi.back().riga == a.riga) {
      esito.avvisi.back().campi.push_back(std::move(campo));
      continue;
    }
    avviso v;
    v.file = file;
    v.riga = a.riga;
    if (s != nullptr) v.sorgente = riga_di(*s, a.riga);
    v.messaggio = "\"" + campo + "\" " + std::string(e_numero(campo) ? kMessaggioValoreInPiu : kMessaggioChiaveIgnorata);
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
}

std::string nota_interruzione(const diagnostica& d, const std::string& percorso_linea) {
  if (d.file == percorso_linea && d.codice != 15)
    return "la lettura si è fermata a questo errore: le righe seguenti e il file del servizio non sono stati "
           "controllati";
  return "la lettura del file si è fermata a questo errore: le righe seguenti non sono state controllate";
}

std::string plurale(size_t n, const char* uno, const char* molti, const char* nessuno) {
  if (n == 0) return nessuno;
  return std::to_string(n) + " " + (n == 1 ? uno : molti);
}

std::string luogo(const std::string& file, int riga) {
  if (file.empty()) return "binario";
  return riga > 0 ? file + ":" + std::to_string(riga) : file;
}

void eco(std::string& out, int riga, const std::string& sorgente) {
  if (riga > 0 && !sorgente.empty()) out += "    " + std::to_string(riga) + " | " + sorgente + "\n";
}

std::optional<std::string> testo_o_null(const std::string& s) {
  if (s.empty()) return std::nullopt;
  return s;
}

template <typename T>
nlohmann::ordered_json o_null(const std::optional<T>& v) {
  return v ? nlohmann::ordered_json(*v) : nlohmann::ordered_json(nullptr);
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
  sorgente linea{base + nome_descrizione_linea(r.linea), std::nullopt};
  sorgente servizio{base + nome_descrizione_servizio(r.linea, r.treno), std::nullopt};
  esito.file_linea = linea.percorso;
  for (sorgente* s : {&linea, &servizio}) {
    Status st = leggi_sorgente(disco, *s);
    if (!st.is_ok()) {
      esito.guasto = st.to_string();
      return esito;
    }
  }

  FileSystemSovrapposto fs(disco, {linea.percorso, servizio.percorso});
  for (const sorgente* s : {&linea, &servizio})
    if (s->testo) fs.memoria().files()[s->percorso] = *s->testo;

  Form1 form(fs, r.cartella, kSeparatore);
  // Records and codes take the identity in Windows-1252; Form1 turns file
  // names back into the UTF-8 the author typed.
  form.nome_linea = identita_cp1252(r.linea);
  form.numero_treno = identita_cp1252(r.treno);
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
  for (const std::string& p : fs.scritti())
    esito.file_scritti.push_back(p.compare(0, base.size(), base) == 0 ? p.substr(base.size()) : p);
  return esito;
}

int stato_uscita(const esito_compilazione& esito) {
  if (esito.guasto) return 2;
  if (esito.fatale) return 3;
  return esito.codice_errore != 0 || !esito.errori.empty() ? 1 : 0;
}

std::string testo_diagnostica(const esito_compilazione& esito) {
  std::string out;
  for (const avviso& a : esito.avvisi) {
    out += luogo(a.file, a.riga) + ": avviso: " + a.messaggio + "\n";
    eco(out, a.riga, a.sorgente);
  }
  for (const diagnostica& d : esito.errori) {
    out += luogo(d.file, d.riga) + ": errore " + std::to_string(d.codice);
    if (d.cella)
      out += " alla cella " + std::to_string(*d.cella) + (d.posizione ? " (metro " + std::to_string(*d.posizione) + ")" : "");
    else if (d.posizione)
      out += " al metro " + std::to_string(*d.posizione);
    out += ": " + d.messaggio;
    if (d.finale) out += " [resta in codice_errore]";
    out += "\n";
    eco(out, d.riga, d.sorgente);
    if (d.interrompe && d.riga > 0) out += luogo(d.file, d.riga) + ": nota: " + nota_interruzione(d, esito.file_linea) + "\n";
  }
  if (esito.fatale)
    out += "binario: errore " + std::to_string(*esito.fatale) + ": " + std::string(messaggio_errore(*esito.fatale)) + "\n";
  if (esito.guasto) out += "binario: " + *esito.guasto + "\n";

  out += "binario: ";
  if (esito.guasto) out += "compilazione interrotta da un errore di file; ";
  out += plurale(esito.errori.size(), "errore", "errori", "nessun errore") + ", " +
         plurale(esito.avvisi.size(), "avviso", "avvisi", "nessun avviso");
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
  }
  nlohmann::ordered_json avvisi = nlohmann::ordered_json::array();
  for (const avviso& a : esito.avvisi)
    avvisi.push_back({{"file", o_null(testo_o_null(a.file))},
                      {"line", a.riga > 0 ? nlohmann::ordered_json(a.riga) : nlohmann::ordered_json(nullptr)},
                      {"field", a.campi.front()},
                      {"fields", a.campi},
                      {"source", o_null(testo_o_null(a.sorgente))},
                      {"message", a.messaggio}});

  nlohmann::ordered_json riga = nullptr;
  std::string messaggio;
  if (esito.fatale) {
    messaggio = messaggio_errore(*esito.fatale);
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
          {"files", esito.file_scritti},
          {"failure", o_null(esito.guasto)}};
}

}  // namespace binario
