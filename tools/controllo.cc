#include "tools/controllo.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <string>

#include "app/form1.h"
#include "base/reale.h"
#include "sources/campi.h"
#include "tools/messaggi.h"
#include "base/testo.h"

namespace binario {

namespace {

struct campo_riga {
  int colonna;       // 1-based
  int fine_colonna;  // just past it
  std::string_view testo;
};

// The fields of one line as the texts separate them: commas, a quoted text
// keeping its commas.
// Into `out`, emptied first: a text's lines are split one after the other
// into the same vector.
void campi_di(std::string_view riga, std::vector<campo_riga>& out) {
  out.clear();
  size_t i = 0;
  while (i <= riga.size()) {
    while (i < riga.size() && (riga[i] == ' ' || riga[i] == '\t')) ++i;
    const size_t da = i;
    if (i < riga.size() && riga[i] == '"') {
      const size_t chiusa = riga.find('"', i + 1);
      i = chiusa == std::string_view::npos ? riga.size() : chiusa + 1;
    }
    while (i < riga.size() && riga[i] != ',') ++i;
    size_t a = i;
    while (a > da && (riga[a - 1] == ' ' || riga[a - 1] == '\t')) --a;
    out.push_back({static_cast<int>(da) + 1, static_cast<int>(a) + 1, riga.substr(da, a - da)});
    if (i >= riga.size()) break;
    ++i;
  }
}

std::vector<campo_riga> campi_di(std::string_view riga) {
  std::vector<campo_riga> out;
  campi_di(riga, out);
  return out;
}

// The reader ends a number at a blank as well as at a comma, so that
// "10   29   40" are three values; a text field runs to the comma.
std::vector<campo_riga> come_legge_il_lettore(const std::vector<campo_riga>& campi, const voce_chiave& v) {
  std::vector<campo_riga> out{campi.front()};
  size_t atteso = 0;  // the key's field the next value is for
  for (size_t j = 1; j < campi.size(); ++j) {
    const campo_riga& c = campi[j];
    const bool testo = atteso < v.campi.size() && v.campi[atteso].tipo.find("testo") != std::string_view::npos;
    if (testo || c.testo.find_first_of(" \t") == std::string_view::npos) {
      out.push_back(c);
      ++atteso;
      continue;
    }
    for (size_t i = 0; i < c.testo.size();) {
      while (i < c.testo.size() && (c.testo[i] == ' ' || c.testo[i] == '\t')) ++i;
      const size_t da = i;
      while (i < c.testo.size() && c.testo[i] != ' ' && c.testo[i] != '\t') ++i;
      out.push_back({c.colonna + static_cast<int>(da), c.colonna + static_cast<int>(i), c.testo.substr(da, i - da)});
      ++atteso;
    }
  }
  return out;
}

bool numero(std::string_view t, double& v) {
  if (!t.empty() && t.front() == '+') t.remove_prefix(1);
  if (t.empty()) return false;
  const auto [fine, ec] = leggi_reale(t.data(), t.data() + t.size(), v);
  return ec == std::errc() && fine == t.data() + t.size();
}

// Diagnostics are kept up to kMassimoAvvisi of each kind: a text of a
// million stray lines must not take gigabytes, nor its minutes, to say so.
template <typename T>
bool pieno(const std::vector<T>& v) {
  return v.size() >= kMassimoAvvisi;
}

// Appends `x` unless `v` is full; false when it was not kept.
template <typename T>
bool tieni(std::vector<T>& v, T x) {
  if (pieno(v)) return false;
  v.push_back(std::move(x));
  return true;
}

class controllo {
 public:
  controllo(const righe_testo& t, std::vector<diagnostica>& errori, std::vector<avviso>& avvisi)
      : t_(t), errori_(errori), avvisi_(avvisi) {}

  // False once something found was not kept.
  bool completo() const { return completo_; }

  void riga(int n) {
    n_ = n;
    sorgente_ = t_.righe[static_cast<size_t>(n - 1)];
    const std::vector<campo_riga> separati = campi_di(sorgente_);
    const std::string_view primo = separati.front().testo;
    if (primo.empty() || primo.find('-') != std::string_view::npos || e_intestazione(primo)) return;
    const voce_chiave* v = chiave_di_campo(primo, t_.testo);
    if (v == nullptr) {
      if (pieno(avvisi_)) {
        completo_ = false;
        return;
      }
      avviso a = nuovo_avviso(separati.front(), "chiave-sconosciuta",
                              "\"" + utf8_da_cp1252(primo) + "\" " + std::string(kMessaggioChiaveIgnorata));
      std::vector<std::string> nomi;
      for (const voce_chiave& k : tabella_chiavi())
        if (k.testo == t_.testo) nomi.emplace_back(k.chiave);
      if (auto s = piu_vicino(primo, nomi)) {
        a.suggerimento = *s;
        a.messaggio += "; forse intendevi \"" + *s + "\"?";
      }
      avvisi_.push_back(std::move(a));
      return;
    }
    const std::vector<campo_riga> campi = come_legge_il_lettore(separati, *v);
    for (size_t i = 1; i <= v->campi.size(); ++i) {
      const campo_chiave& k = v->campi[i - 1];
      if (i >= campi.size()) {
        const campo_riga fine{campi.back().fine_colonna, campi.back().fine_colonna + 1, ""};
        errore(25, fine, "valori-mancanti",
               "la riga ha " + std::to_string(campi.size() - 1) + " valori, \"" + std::string(v->chiave) +
                   "\" ne vuole " + std::to_string(v->campi.size()) + ": manca il valore " + std::to_string(i) +
                   " (" + std::string(k.nome) + ")");
        return;
      }
      if (k.tipo.find("testo") != std::string_view::npos) continue;
      if (!valore(campi[i], k, i, *v)) return;
    }
  }

 private:
  bool valore(const campo_riga& c, const campo_chiave& k, size_t i, const voce_chiave& v) {
    const std::string unita = k.unita.empty() ? "" : ", " + std::string(k.unita);
    const std::string nome = "valore " + std::to_string(i) + " (" + std::string(k.nome) + unita + ") di \"" +
                             std::string(v.chiave) + "\": ";
    const std::string q = "\"" + utf8_da_cp1252(c.testo) + "\"";
    double x = 0;
    if (c.testo.empty()) return true;  // the reader takes an empty field for 0
    if (!numero(c.testo, x)) {
      if (c.testo.find(':') != std::string_view::npos)
        errore(25, c, "orario-con-due-punti", nome + q + " è un orario con i due punti: ore, minuti e secondi vanno in tre valori");
      else
        errore(25, c, "non-numerico", nome + q + " non è un numero intero");
      return false;
    }
    const std::string_view tipo = k.tipo;
    if (tipo.find("multiplo di 50") != std::string_view::npos && static_cast<int64_t>(x) % 50 != 0 &&
        v.chiave == "stazione")
      errore(8, c, "stazione-non-multipla", nome + q + " non è multiplo di 50");
    if (tipo.find("multiplo di 100") != std::string_view::npos && static_cast<int64_t>(x) % 100 != 0)
      errore(9, c, "zona-non-multipla", nome + q + " non è multiplo di 100");
    if (x < static_cast<double>(k.minimo) || x > static_cast<double>(k.massimo))
      errore(25, c, "fuori-intervallo",
             nome + q + " è fuori dall'intervallo, da " + std::to_string(k.minimo) + " a " + std::to_string(k.massimo));
    return true;
  }

  // Where an error or a warning of this pass stands: this line, field `c`.
  template <typename D>
  D sul_campo(const campo_riga& c, std::string id, std::string messaggio) const {
    D d;
    d.file = std::string(t_.percorso);
    d.riga = n_;
    d.colonna = c.colonna;
    d.fine_colonna = std::max(c.fine_colonna, c.colonna + 1);
    d.id = std::move(id);
    d.dopo_arresto = true;
    d.sorgente = utf8_da_cp1252(sorgente_);
    d.messaggio = std::move(messaggio);
    return d;
  }

  avviso nuovo_avviso(const campo_riga& c, std::string id, std::string messaggio) {
    avviso a = sul_campo<avviso>(c, std::move(id), std::move(messaggio));
    a.campi.push_back(utf8_da_cp1252(c.testo));
    return a;
  }

  void errore(int32_t codice, const campo_riga& c, std::string id, const std::string& messaggio) {
    diagnostica d = sul_campo<diagnostica>(c, std::move(id), messaggio);
    d.codice = codice;
    completo_ &= tieni(errori_, std::move(d));
  }

  const righe_testo& t_;
  std::vector<diagnostica>& errori_;
  std::vector<avviso>& avvisi_;
  int n_ = 0;
  std::string_view sorgente_;
  bool completo_ = true;
};

}  // namespace

bool controlla_righe(const righe_testo& t, int dalla_riga, std::vector<diagnostica>& errori,
                     std::vector<avviso>& avvisi) {
  controllo c(t, errori, avvisi);
  for (int n = std::max(dalla_riga, 1); n <= static_cast<int>(t.righe.size()); ++n) {
    // Nothing more could be kept: the rest is not looked at.
    if (pieno(errori) && pieno(avvisi)) return false;
    c.riga(n);
  }
  return c.completo();
}

namespace {

bool vuota(std::string_view riga) { return riga.find_first_not_of(" \t") == std::string_view::npos; }

bool e_fine(std::string_view campo) {
  const std::string_view k = spoglia_blank(campo);
  return k.size() == 6 && distanza(k, "[fine]") == 0;
}

// The key a line starts with, as the reader would take it; nothing for a
// header, a hyphen line or a first field that matches no key.
const voce_chiave* chiave_della_riga(std::string_view primo, testo_descrizione t) {
  if (primo.empty() || primo.find('-') != std::string_view::npos || e_intestazione(primo)) return nullptr;
  return chiave_di_campo(primo, t);
}

// The metre a key's first value gives, for the keys that place an item on
// the line (every section but "[generale]").
bool posiziona(const voce_chiave& v) {
  if (v.sezione == "[generale]" || v.campi.empty()) return false;
  const campo_chiave& k = v.campi.front();
  return k.unita == "m" && (k.nome == "posizione" || k.nome == "inizio");
}

// The key's text value, when the key has one: the last of its values.
std::optional<size_t> campo_di_testo(const voce_chiave& v) {
  if (v.campi.empty() || v.campi.back().tipo.find("testo") == std::string_view::npos) return std::nullopt;
  return v.campi.size();
}

class avvisi_testo {
 public:
  avvisi_testo(const righe_testo& t, const quadro_testo& q, std::vector<avviso>& avvisi)
      : t_(t), q_(q), avvisi_(avvisi) {}

  void esegui() {
    if (std::all_of(t_.righe.begin(), t_.righe.end(), vuota)) {
      intero_file("file-vuoto", std::string("il file ") + (t_.testo == testo_descrizione::linea ? "della linea" : "del servizio") +
                                    " è vuoto: non ne viene letto nulla (\"binario export\" scrive un modello da cui partire)");
      return;
    }
    bool chiavi = false;
    int fine = 0;
    std::vector<campo_riga> campi;
    for (int n = 1; n <= static_cast<int>(t_.righe.size()); ++n) {
      if (pieno(avvisi_)) {
        completo_ = false;
        break;
      }
      const std::string_view riga = t_.righe[static_cast<size_t>(n - 1)];
      campi_di(riga, campi);
      if (fine != 0 && !vuota(riga) && !dopo_fine_) dopo_la_fine(n, campi.front(), fine);
      if (fine == 0 && e_fine(campi.front().testo)) fine = n;
      if (!utf8_) utf8(n, riga, campi);
      const voce_chiave* v = chiave_della_riga(campi.front().testo, t_.testo);
      if (v == nullptr) continue;
      chiavi = true;
      oltre_la_fine(n, riga, campi, *v);
      nome_tagliato(n, riga, campi, *v);
    }
    if (!chiavi)
      intero_file("senza-chiavi", "nessuna riga del file comincia con una chiave: non ne viene letto nulla "
                                  "(le elenca \"binario explain --reference\")");
  }

  // False once something found was not kept.
  bool completo() const { return completo_; }

 private:
  void conserva(avviso a) { completo_ &= tieni(avvisi_, std::move(a)); }

  avviso sul_campo(int n, std::string_view riga, std::string_view campo, int colonna, int fine_colonna, std::string id,
                   std::string messaggio) {
    avviso a;
    a.campi.push_back(utf8_da_cp1252(campo));
    a.file = std::string(t_.percorso);
    a.riga = n;
    a.colonna = colonna;
    a.fine_colonna = std::max(fine_colonna, colonna + 1);
    a.id = std::move(id);
    a.dopo_arresto = q_.arresto != 0 && n > q_.arresto;
    a.sorgente = utf8_da_cp1252(riga);
    a.messaggio = std::move(messaggio);
    return a;
  }

  void intero_file(std::string id, std::string messaggio) {
    avviso a;
    a.file = std::string(t_.percorso);
    a.campi.emplace_back();
    a.id = std::move(id);
    a.messaggio = std::move(messaggio);
    conserva(std::move(a));
  }

  void dopo_la_fine(int n, const campo_riga& primo, int fine) {
    dopo_fine_ = true;
    const std::string_view riga = t_.righe[static_cast<size_t>(n - 1)];
    avviso a = sul_campo(n, riga, primo.testo, primo.colonna, static_cast<int>(riga.size()) + 1, "testo-dopo-fine",
                         "c'è del testo dopo \"[fine]\": il file non finisce lì, e le chiavi che seguono vengono "
                         "lette ancora, nell'ultima sezione aperta");
    a.correlati.push_back({std::string(t_.percorso), fine, 1, "\"[fine]\" è qui"});
    conserva(std::move(a));
  }

  void utf8(int n, std::string_view riga, const std::vector<campo_riga>& campi) {
    const std::optional<sequenza_utf8> u = prima_sequenza_utf8(riga);
    if (!u) return;
    utf8_ = true;
    const std::string_view byte = riga.substr(u->inizio, u->lunghezza);
    avviso a = sul_campo(n, riga, byte, static_cast<int>(u->inizio) + 1, static_cast<int>(u->inizio + u->lunghezza) + 1,
                         "testo-utf8",
                         "\"" + utf8_da_cp1252(byte) + "\" sono i byte UTF-8 di \"" + std::string(byte) +
                             "\": il file si legge in Windows-1252 e così finisce nei file binari; salvalo in "
                             "Windows-1252 (ANSI)");
    // The field as the author meant it, when the whole of it is UTF-8.
    for (const campo_riga& c : campi) {
      const size_t da = static_cast<size_t>(c.colonna - 1);
      if (u->inizio < da || u->inizio >= static_cast<size_t>(c.fine_colonna - 1)) continue;
      const conversione_cp1252 inteso = converti_cp1252(c.testo);
      if (!inteso.rifiuto) a.suggerimento = std::string(c.testo);
    }
    conserva(std::move(a));
  }

  void oltre_la_fine(int n, std::string_view riga, const std::vector<campo_riga>& campi, const voce_chiave& v) {
    double metro = 0;
    if (!q_.lunghezza || !posiziona(v) || campi.size() < 2 || !numero(campi[1].testo, metro)) return;
    if (metro <= static_cast<double>(*q_.lunghezza)) return;
    std::string cosa = "\"" + std::string(v.chiave) + "\"";
    if (const std::optional<size_t> i = campo_di_testo(v); i && *i < campi.size())
      cosa += " " + utf8_da_cp1252(campi[*i].testo);
    avviso a = sul_campo(n, riga, campi[1].testo, campi[1].colonna, campi[1].fine_colonna, "oltre-fine-linea",
                         cosa + " al metro " + utf8_da_cp1252(campi[1].testo) + " è oltre la fine della linea, lunga " +
                             std::to_string(*q_.lunghezza) + " m");
    if (q_.riga_lunghezza > 0)
      a.correlati.push_back({std::string(q_.file_lunghezza), q_.riga_lunghezza, std::nullopt,
                             "la lunghezza della linea è data qui"});
    conserva(std::move(a));
  }

  // A comma inside an unquoted name ends it there: the rest is read as the
  // next key, and the name stored is only its first part.
  void nome_tagliato(int n, std::string_view riga, const std::vector<campo_riga>& campi, const voce_chiave& v) {
    const std::optional<size_t> i = campo_di_testo(v);
    if (!i || campi.size() <= *i + 1 || campi[*i].testo.starts_with('"')) return;
    // A comma after the name with nothing beyond it cuts nothing.
    if (std::all_of(campi.begin() + static_cast<std::ptrdiff_t>(*i) + 1, campi.end(),
                    [](const campo_riga& c) { return c.testo.empty(); }))
      return;
    const campo_riga& nome = campi[*i];
    const int fine = campi.back().fine_colonna;
    const std::string_view intero =
        riga.substr(static_cast<size_t>(nome.colonna - 1), static_cast<size_t>(fine - nome.colonna));
    avviso a = sul_campo(n, riga, intero, nome.colonna, fine, "virgola-nel-nome",
                         "la virgola taglia il " + std::string(v.campi[*i - 1].nome) + " a \"" +
                             utf8_da_cp1252(nome.testo) + "\": il resto viene letto come un'altra chiave; per tenere "
                             "la virgola scrivilo tra virgolette");
    a.suggerimento = "\"" + utf8_da_cp1252(intero) + "\"";
    conserva(std::move(a));
  }

  const righe_testo& t_;
  const quadro_testo& q_;
  std::vector<avviso>& avvisi_;
  bool utf8_ = false;
  bool dopo_fine_ = false;
  bool completo_ = true;
};

}  // namespace

bool avvisa_testo(const righe_testo& t, const quadro_testo& q, std::vector<avviso>& avvisi) {
  avvisi_testo a(t, q, avvisi);
  a.esegui();
  return a.completo();
}

int riga_della_lunghezza(const righe_testo& linea) {
  int trovata = 0;
  for (int n = 1; n <= static_cast<int>(linea.righe.size()); ++n) {
    const voce_chiave* v = chiave_della_riga(campi_di(linea.righe[static_cast<size_t>(n - 1)]).front().testo, linea.testo);
    if (v != nullptr && v->chiave == "lunghezza percorso") trovata = n;
  }
  return trovata;
}

}  // namespace binario
