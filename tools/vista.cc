#include "tools/vista.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/memfs.h"
#include "base/nomi_file.h"
#include "compile/decodifica.h"
#include "base/testo.h"
#include "tools/vista_disegno.h"

namespace binario {

namespace {

using json = nlohmann::ordered_json;

// The three tables the page is drawn from, as the binary files hold them.
struct tabelle {
  std::vector<voce> voci;
  std::vector<cella> celle;
  std::vector<double> x;  // the traced metres of the plan, from metre 0
  std::vector<double> y;
};

double arrotonda(double v, double passo) { return std::round(v / passo) * passo; }
// Plan coordinates and altitudes go to the page in whole centimetres: a
// decimal fraction in a double would print with seventeen digits.
int64_t centimetri(double metri) { return std::llround(metri * 100); }

// The plan file read straight into the two columns: the page needs only the
// numbers, and a million-metre plan decoded element by element into tagged
// records costs more than all the rest of the page. The checks are those of
// decodifica_tracciato: known tags only, no element cut short, as many
// elements for y as for x.
void leggi_tracciato(std::string_view dati, tabelle& tab) {
  std::vector<double> valori;
  std::vector<bool> pieni;
  valori.reserve(dati.size() / 10 + 2);
  pieni.reserve(dati.size() / 10 + 2);
  size_t i = 0;
  auto byte = [&](size_t k) { return static_cast<uint8_t>(dati[i + k]); };
  while (i < dati.size()) {
    if (dati.size() - i < 2) throw errore_decodifica(i, "elemento troncato");
    const uint16_t tag = static_cast<uint16_t>(byte(0) | byte(1) << 8);
    if (tag == 0) {
      valori.push_back(0);
      pieni.push_back(false);
      i += 2;
    } else if (tag == 2) {
      if (dati.size() - i < 4) throw errore_decodifica(i, "elemento intero troncato");
      valori.push_back(static_cast<int16_t>(static_cast<uint16_t>(byte(2) | byte(3) << 8)));
      pieni.push_back(true);
      i += 4;
    } else if (tag == 5) {
      if (dati.size() - i < 10) throw errore_decodifica(i, "elemento reale troncato");
      uint64_t u = 0;
      for (int k = 7; k >= 0; --k) u = u << 8 | byte(static_cast<size_t>(2 + k));
      double v;
      std::memcpy(&v, &u, sizeof v);
      valori.push_back(v);
      pieni.push_back(true);
      i += 10;
    } else {
      throw errore_decodifica(i, "tipo di elemento sconosciuto " + std::to_string(tag));
    }
  }
  if (valori.empty()) throw errore_decodifica(0, "il file del tracciato è vuoto");
  if (valori.size() % 2 != 0) throw errore_decodifica(i, "numero di elementi dispari: le colonne x e y devono avere gli stessi metri");
  const size_t meta = valori.size() / 2;
  // The plan is traced from metre 0 without gaps; the untraced tail stays empty.
  size_t n = 0;
  while (n < meta && pieni[n] && pieni[meta + n]) ++n;
  tab.x.assign(valori.begin(), valori.begin() + static_cast<std::ptrdiff_t>(n));
  tab.y.assign(valori.begin() + static_cast<std::ptrdiff_t>(meta), valori.begin() + static_cast<std::ptrdiff_t>(meta + n));
}

std::string leggi(FileSystem& disco, const std::string& percorso) {
  if (!disco.exists(percorso)) throw std::runtime_error(percorso + ": il file non esiste");
  std::string dati;
  Status s = disco.read_file(percorso, &dati);
  if (!s.is_ok()) throw std::runtime_error(percorso + ": " + s.to_string());
  return dati;
}

// Decodes the files of `richiesta` from `disco`. Without a plan file the
// page has no map; the header and grid are required.
tabelle leggi_tabelle(FileSystem& disco, const richiesta_compilazione& r) {
  const std::string base = r.cartella + "/";
  tabelle tab;
  const std::string pv = base + nome_file_voci(r.linea, r.treno);
  const std::string pg = base + nome_file_griglia(r.linea, r.treno);
  const std::string pt = base + nome_file_tracciato(r.linea);
  auto decodifica = [](const std::string& percorso, auto&& f) {
    try {
      f();
    } catch (const errore_decodifica& e) {
      throw std::runtime_error(percorso + ": byte " + std::to_string(e.offset()) + ": " + e.what());
    }
  };
  const std::string dv = leggi(disco, pv);
  decodifica(pv, [&] { tab.voci = decodifica_voci(dv); });
  const std::string dg = leggi(disco, pg);
  decodifica(pg, [&] { tab.celle = decodifica_griglia(dg); });
  if (r.tracciato && disco.exists(pt)) {
    const std::string dt = leggi(disco, pt);
    decodifica(pt, [&] { leggi_tracciato(dt, tab); });
  }
  return tab;
}

class costruttore {
 public:
  explicit costruttore(const tabelle& t) : t_(t) {}

  json modello() {
    json m;
    m["versione"] = 1;
    const voce& v84 = t_.voci[84];
    m["linea"] = utf8_da_cp1252(t_.voci[85].nome);
    m["treno"] = utf8_da_cp1252(t_.voci[86].nome);
    m["lunghezza"] = v84.fine_zona;
    // The profiles are written up to cell N - 3 (N + 1 cells in all); the
    // last ones keep zeros, which would read as -100 per mille.
    const size_t celle = t_.celle.size() > 3 ? t_.celle.size() - 3 : 0;
    m["fine_profili"] = static_cast<int32_t>(celle) * kMetriCella;
    m["progressive"] = progressive();
    m["tracciato"] = tracciato();
    m["curve"] = tratti(curve_da_tracciato(t_.x, t_.y), 1e-6);
    profili(m, celle);
    m["stazioni"] = stazioni();
    celle_puntuali(m);
    m["rallentamenti"] = rallentamenti();
    m["montagne"] = montagne();
    return m;
  }

 private:
  // Where a metre lies on the plan, when the plan reaches it.
  void posa(json& f, int32_t metro) const {
    if (metro < 0 || static_cast<size_t>(metro) >= t_.x.size()) return;
    f["x_cm"] = centimetri(t_.x[static_cast<size_t>(metro)]);
    f["y_cm"] = centimetri(t_.y[static_cast<size_t>(metro)]);
  }

  json progressive() const {
    json p = json::array();
    for (int slot = 81; slot <= 83; ++slot) {
      const voce& v = t_.voci[static_cast<size_t>(slot)];
      if (v.inizio_zona == 0 && v.fine_zona == 0 && v.posizione == 0) continue;
      json r = {{"voce", slot}, {"metro", v.inizio_zona}, {"chilometro", v.fine_zona}, {"terzo", v.posizione}};
      posa(r, v.inizio_zona);
      p.push_back(std::move(r));
    }
    return p;
  }

  json tracciato() const {
    if (t_.x.size() < 2) return nullptr;
    json punti = json::array();
    for (int32_t m : semplifica(t_.x, t_.y, kTolleranzaTracciato))
      punti.push_back({m, centimetri(t_.x[static_cast<size_t>(m)]), centimetri(t_.y[static_cast<size_t>(m)])});
    return {{"tolleranza", kTolleranzaTracciato}, {"metri", static_cast<int32_t>(t_.x.size()) - 1}, {"punti", punti}};
  }

  static json tratti(const std::vector<tratto>& tt, double passo) {
    json a = json::array();
    for (const tratto& t : tt) a.push_back({t.inizio, t.fine, arrotonda(t.valore, passo)});
    return a;
  }

  void profili(json& m, size_t celle) const {
    std::vector<double> pendenza, velocita, aderenza;
    for (size_t c = 0; c < celle; ++c) {
      pendenza.push_back(t_.celle[c].pendenza - 100.0);
      velocita.push_back(t_.celle[c].velocita_limite * 5.0);
      aderenza.push_back(t_.celle[c].aderenza);
    }
    const std::vector<tratto> pendenze = tratti_da_celle(pendenza, kMetriCella);
    m["pendenza"] = tratti(pendenze, 1);
    m["velocita"] = tratti(tratti_da_celle(velocita, kMetriCella), 1);
    m["aderenza"] = tratti(tratti_da_celle(aderenza, kMetriCella), 1);
    json q = json::array();
    for (const punto_quota& p : quote_da_pendenze(pendenze)) q.push_back({p.metro, centimetri(p.quota)});
    m["quota_cm"] = q;
  }

  // The header slots of the sign-board texts, named by the grid.
  std::set<int> slot_cartelli() const {
    std::set<int> s;
    for (const cella& c : t_.celle)
      if (c.tipo == tipo_cella::cartello) s.insert(c.valore_a);
    return s;
  }

  json stazioni() const {
    json a = json::array();
    const std::set<int> cartelli = slot_cartelli();
    const int limite = cartelli.empty() ? 81 : *cartelli.begin();
    // Stations fill the slots from 1 upwards without a gap.
    for (int k = 1; k < limite && k <= 80; ++k) {
      const voce& v = t_.voci[static_cast<size_t>(k)];
      if (v == voce{}) break;
      json s = {{"voce", k},
                {"nome", utf8_da_cp1252(v.nome)},
                {"tipo", v.tipo},
                {"metro", v.posizione},
                {"inizio_zona", v.inizio_zona},
                {"fine_zona", v.fine_zona},
                {"orario", v.orario},
                {"ferma", v.tipo < 25},
                {"colonne", {v.colonna_4, v.colonna_5, v.colonna_6, v.colonna_7, v.colonna_8, v.colonna_9,
                             v.colonna_10, v.colonna_11, v.colonna_12, v.colonna_13}}};
      posa(s, v.posizione);
      a.push_back(std::move(s));
    }
    return a;
  }

  void celle_puntuali(json& m) const {
    json segnali = json::array(), indicatori = json::array(), cartelli = json::array(), codici = json::array();
    for (size_t i = 0; i < t_.celle.size(); ++i) {
      const cella& c = t_.celle[i];
      json f = {{"metro", metro_di_cella(i)}, {"cella", i}};
      posa(f, metro_di_cella(i));
      switch (c.tipo) {
        case tipo_cella::segnale:
          f["aspetti"] = {c.valore_a, c.valore_b, c.valore_c};
          f["codice"] = c.valore_d;
          f["tempo"] = c.tempo_segnale;
          segnali.push_back(std::move(f));
          break;
        case tipo_cella::indicatori_v_max:
          // Each value is the first board's speed times 20 plus the second's fifth.
          f["sinistra"] = {c.valore_a / 20, c.valore_b / 20, c.valore_c / 20};
          f["destra"] = {c.valore_a % 20 * 5, c.valore_b % 20 * 5, c.valore_c % 20 * 5};
          f["strisce"] = c.valore_d;
          indicatori.push_back(std::move(f));
          break;
        case tipo_cella::cartello: {
          f["voce"] = c.valore_a;
          const bool valida = c.valore_a >= 1 && c.valore_a <= 80;
          f["testo"] = valida ? utf8_da_cp1252(t_.voci[static_cast<size_t>(c.valore_a)].nome) : "";
          cartelli.push_back(std::move(f));
          break;
        }
        case tipo_cella::abbattimento:
        case tipo_cella::abbattimento_senza_codice:
          f["codice"] = c.tipo == tipo_cella::abbattimento ? json(c.valore_a) : json(nullptr);
          codici.push_back(std::move(f));
          break;
        default:
          break;
      }
    }
    m["segnali"] = segnali;
    m["indicatori"] = indicatori;
    m["cartelli"] = cartelli;
    m["codici"] = codici;
  }

  // A start cell (3), the next end cell (2) at or after it, and the warning
  // board (4) about 1200 m before it with the same speed.
  json rallentamenti() const {
    json a = json::array();
    const auto& c = t_.celle;
    for (size_t s = 0; s < c.size(); ++s) {
      if (c[s].tipo != tipo_cella::inizio_rallentamento) continue;
      size_t e = s;
      for (size_t i = s + 1; i < c.size(); ++i) {
        if (c[i].tipo == tipo_cella::inizio_rallentamento) break;
        if (c[i].tipo == tipo_cella::fine_rallentamento) {
          e = i;
          break;
        }
      }
      json r = {{"metro", metro_di_cella(s)}, {"fine", metro_di_cella(e)}, {"velocita", c[s].valore_a}};
      r["avviso"] = nullptr;
      for (size_t w = s >= 25 ? s - 25 : 0; w + 23 <= s && w < s; ++w)
        if (c[w].tipo == tipo_cella::avviso_rallentamento && c[w].valore_a == c[s].valore_a)
          r["avviso"] = metro_di_cella(w);
      posa(r, metro_di_cella(s));
      a.push_back(std::move(r));
    }
    return a;
  }

  // Runs of cells with the same non-zero kind; a cell covers its 50 metres.
  json montagne() const {
    json a = json::array();
    for (size_t i = 0; i < t_.celle.size();) {
      const uint8_t tipo = t_.celle[i].tipo_montagna;
      size_t j = i + 1;
      while (j < t_.celle.size() && t_.celle[j].tipo_montagna == tipo) ++j;
      if (tipo != 0) {
        json s = {{"metro", static_cast<int32_t>(i) * kMetriCella},
                  {"fine", static_cast<int32_t>(j) * kMetriCella},
                  {"tipo", tipo}};
        posa(s, static_cast<int32_t>(i) * kMetriCella);
        a.push_back(std::move(s));
      }
      i = j;
    }
    return a;
  }

  const tabelle& t_;
};

}  // namespace

int64_t metro_letto(const json& progressive, int32_t metro) {
  const json* r = nullptr;
  if (progressive.is_array())
    for (const json& p : progressive)
      if (p["metro"].get<int32_t>() <= metro && (!r || p["metro"].get<int32_t>() > (*r)["metro"].get<int32_t>())) r = &p;
  return r ? (*r)["chilometro"].get<int64_t>() + (metro - (*r)["metro"].get<int32_t>()) : metro;
}

json modello_da_testi(FileSystem& disco, const richiesta_compilazione& richiesta) {
  // The compile runs wholly in memory: the texts are copied in and the binary
  // files it writes stay there, to be read back like any compiled scenario.
  MemFileSystem memoria;
  esito_compilazione esito;
  const std::string base = richiesta.cartella + "/";
  for (const std::string& nome : {nome_descrizione_linea(richiesta.linea),
                                  nome_descrizione_servizio(richiesta.linea, richiesta.treno)}) {
    const std::string percorso = base + nome;
    if (!disco.exists(percorso)) continue;
    std::string testo;
    Status s = disco.read_file(percorso, &testo);
    if (!s.is_ok() && !esito.guasto) esito.guasto = s.to_string();
    memoria.files()[percorso] = std::move(testo);
  }
  if (!esito.guasto) esito = compila(memoria, richiesta);

  json m;
  if (!esito.guasto && !esito.file_scritti.empty()) m = costruttore(leggi_tabelle(memoria, richiesta)).modello();
  else m = {{"versione", 1}, {"linea", richiesta.linea}, {"treno", richiesta.treno}};
  m["origine"] = "testi";
  m["diagnostica"] = json_compilazione(esito);
  return m;
}

json modello_da_binari(FileSystem& disco, const richiesta_compilazione& richiesta) {
  json m = costruttore(leggi_tabelle(disco, richiesta)).modello();
  m["origine"] = "binari";
  m["diagnostica"] = nullptr;
  return m;
}

}  // namespace binario
