#include "tools/controllo.h"

#include <algorithm>
#include <charconv>
#include <string>

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
std::vector<campo_riga> campi_di(std::string_view riga) {
  std::vector<campo_riga> out;
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
  return out;
}

bool numero(std::string_view t, double& v) {
  if (!t.empty() && t.front() == '+') t.remove_prefix(1);
  if (t.empty()) return false;
  const auto [fine, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
  return ec == std::errc() && fine == t.data() + t.size();
}

class controllo {
 public:
  controllo(const righe_testo& t, std::vector<diagnostica>& errori, std::vector<avviso>& avvisi)
      : t_(t), errori_(errori), avvisi_(avvisi) {}

  void riga(int n) {
    n_ = n;
    sorgente_ = t_.righe[static_cast<size_t>(n - 1)];
    const std::vector<campo_riga> campi = campi_di(sorgente_);
    const std::string_view primo = campi.front().testo;
    if (primo.empty() || primo.find('-') != std::string_view::npos || e_intestazione(primo)) return;
    const voce_chiave* v = chiave_di_campo(primo, t_.testo);
    if (v == nullptr) {
      avviso a = nuovo_avviso(campi.front(), "chiave-sconosciuta",
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
    errori_.push_back(std::move(d));
  }

  const righe_testo& t_;
  std::vector<diagnostica>& errori_;
  std::vector<avviso>& avvisi_;
  int n_ = 0;
  std::string_view sorgente_;
};

}  // namespace

void controlla_righe(const righe_testo& t, int dalla_riga, std::vector<diagnostica>& errori,
                     std::vector<avviso>& avvisi) {
  controllo c(t, errori, avvisi);
  for (int n = std::max(dalla_riga, 1); n <= static_cast<int>(t.righe.size()); ++n) c.riga(n);
}

}  // namespace binario
