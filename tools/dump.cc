#include "tools/dump.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <ostream>
#include <sstream>
#include <cstring>
#include <type_traits>

#include "base/testo.h"
#include "tools/vista.h"

namespace binario {

namespace {

// Quoted, with what a terminal would swallow made visible.
std::string citato_utf8(const std::string& testo) {
  std::string out = "\"";
  for (char c : testo) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out.push_back('\\');
      out.push_back(c);
    } else if (u < 0x20 || u == 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", u);
      out += buf;
    } else {
      out.push_back(c);
    }
  }
  return out + "\"";
}

// A name of the files (Windows-1252), quoted in UTF-8.
std::string citato(const std::string& nome) { return citato_utf8(utf8_da_cp1252(nome)); }

// An integer element as a whole number, a double always with a point or an
// exponent, so the two kinds of the file stay apart.
std::string testo_elemento(const elemento_tracciato& e) {
  using tipo = tabella_tracciato::tipo_elemento;
  if (e.tipo == tipo::vuoto) return "vuoto";
  if (e.tipo == tipo::intero) return std::to_string(static_cast<int>(e.valore));
  char buf[64];
  auto [fine, ec] = std::to_chars(buf, buf + sizeof buf, e.valore);
  std::string s(buf, fine);
  if (s.find_first_of(".einra") == std::string::npos) s += ".0";
  return s;
}

nlohmann::json json_elemento(const elemento_tracciato& e) {
  using tipo = tabella_tracciato::tipo_elemento;
  if (e.tipo == tipo::vuoto) return nullptr;
  if (e.tipo == tipo::intero) return static_cast<int>(e.valore);
  return e.valore;
}

// The fields of a record in the file's order, to a line and to JSON.
struct campo_in_riga {
  std::string& riga;
  template <typename T>
  void operator()(const char* nome, const T& v) {
    riga += ' ';
    riga += nome;
    riga += '=';
    if constexpr (std::is_same_v<T, std::string>)
      riga += citato(v);
    else
      riga += std::to_string(v);
  }
};

struct campo_in_json {
  nlohmann::json& j;
  template <typename T>
  void operator()(const char* nome, const T& v) {
    if constexpr (std::is_same_v<T, std::string>)
      j[nome] = utf8_da_cp1252(v);
    else
      j[nome] = v;
  }
};

// A cell's fields, the kind by name and speed and gradient in the units an
// author writes them in; the rest as stored.
struct campo_cella_in_riga {
  std::string& riga;
  void operator()(const char* nome, uint8_t v) {
    const char* nome_tipo = nome_tipo_cella(v);
    if (std::strcmp(nome, "tipo") == 0 && nome_tipo)
      riga += std::string(" tipo=") + nome_tipo;
    else if (std::strcmp(nome, "velocita_limite") == 0)
      riga += " velocita_limite=" + std::to_string(v * 5) + "km/h";
    else if (std::strcmp(nome, "pendenza") == 0)
      riga += " pendenza=" + std::to_string(v - 100) + "‰";
    else
      campo_in_riga{riga}(nome, v);
  }
  void operator()(const char* nome, int16_t v) { campo_in_riga{riga}(nome, v); }
};

std::string metri_di_cella(int indice) {
  return std::to_string(indice * kMetriCella) + "-" + std::to_string((indice + 1) * kMetriCella);
}

nlohmann::json json_voce(int indice, const voce& v) {
  nlohmann::json j = {{"voce", indice}};
  campi_voce(v, campo_in_json{j});
  return j;
}

nlohmann::json json_cella(int indice, const cella& c) {
  nlohmann::json j = {{"cella", indice}};
  campi_cella(c, campo_in_json{j});
  // Decoded values beside the stored ones.
  j["metri"] = {indice * kMetriCella, (indice + 1) * kMetriCella};
  const char* nome_tipo = nome_tipo_cella(c.tipo);
  j["nome_tipo"] = nome_tipo ? nlohmann::json(nome_tipo) : nlohmann::json(nullptr);
  if (!libera(c)) j["metro"] = metro_di_cella(static_cast<size_t>(indice));
  j["velocita_kmh"] = c.velocita_limite * 5;
  j["pendenza_per_mille"] = c.pendenza - 100;
  return j;
}

nlohmann::json json_metro(int metro, const elemento_tracciato& x, const elemento_tracciato& y) {
  return {{"metro", metro},
          {"x", json_elemento(x)},
          {"y", json_elemento(y)},
          {"tipo_x", static_cast<int>(x.tipo)},
          {"tipo_y", static_cast<int>(y.tipo)}};
}

// Writes records one by one as the elements of a JSON array, laid out as a
// whole array dumped with an indent of one space would be.
class array_json {
 public:
  explicit array_json(std::ostream& out) : out_(out) {}
  void aggiungi(const nlohmann::json& j) {
    out_ << (primo_ ? "[\n " : ",\n ");
    primo_ = false;
    for (char c : j.dump(1)) {
      out_ << c;
      if (c == '\n') out_ << ' ';
    }
  }
  void chiudi() { out_ << (primo_ ? "[]\n" : "\n]\n"); }

 private:
  std::ostream& out_;
  bool primo_ = true;
};

}  // namespace

std::string riga_voce(int indice, const voce& v) {
  std::string riga = "voce " + std::to_string(indice) + ":";
  campi_voce(v, campo_in_riga{riga});
  return riga;
}

std::string riga_cella(int indice, const cella& c) {
  std::string riga = "cella " + std::to_string(indice) + ": metri=" + metri_di_cella(indice);
  campi_cella(c, campo_cella_in_riga{riga});
  // The metre of the feature goes right after its kind.
  if (!libera(c)) {
    const size_t fine_tipo = riga.find(' ', riga.find(" tipo=") + 1);
    riga.insert(fine_tipo, " metro=" + std::to_string(metro_di_cella(static_cast<size_t>(indice))));
  }
  return riga;
}

bool record_vuoto(const voce& v) { return v == voce{}; }
bool record_vuoto(const cella& c) {
  return c.tipo == tipo_cella::vuota && c.valore_a == 0 && c.valore_b == 0 && c.valore_c == 0 && c.valore_d == 0;
}
bool record_vuoto(const elemento_tracciato& x, const elemento_tracciato& y) {
  using tipo = tabella_tracciato::tipo_elemento;
  return x.tipo == tipo::vuoto && y.tipo == tipo::vuoto;
}

std::string riga_metro(int metro, const elemento_tracciato& x, const elemento_tracciato& y) {
  return "metro " + std::to_string(metro) + ": x=" + testo_elemento(x) + " y=" + testo_elemento(y);
}

void scrivi_dump(std::istream& in, std::istream& in_y, size_t byte, tipo_file tipo, bool json, std::ostream& out,
                 bool non_vuote) {
  array_json array(out);
  auto emetti = [&](bool vuoto, auto&& come_json, auto&& come_riga) {
    if (non_vuote && vuoto) return;
    if (json)
      array.aggiungi(come_json());
    else
      out << come_riga() << '\n';
  };
  switch (tipo) {
    case tipo_file::voci:
      // A first reading finds a fault before anything is written.
      leggi_voci(in, byte, [](int, const voce&) {});
      leggi_voci(in, byte, [&](int i, const voce& v) {
        emetti(record_vuoto(v), [&] { return json_voce(i, v); }, [&] { return riga_voce(i, v); });
      });
      break;
    case tipo_file::griglia:
      leggi_griglia(in, byte, [](int, const cella&) {});
      leggi_griglia(in, byte, [&](int i, const cella& c) {
        emetti(record_vuoto(c), [&] { return json_cella(i, c); }, [&] { return riga_cella(i, c); });
      });
      break;
    case tipo_file::tracciato:
      // Checks the whole file before its first metre.
      leggi_tracciato(in, in_y, byte, [&](int m, const elemento_tracciato& x, const elemento_tracciato& y) {
        emetti(record_vuoto(x, y), [&] { return json_metro(m, x, y); }, [&] { return riga_metro(m, x, y); });
      });
      break;
  }
  if (json) array.chiudi();
}

void scrivi_dump(std::string_view dati, tipo_file tipo, bool json, std::ostream& out, bool non_vuote) {
  std::istringstream in{std::string(dati)}, in_y{std::string(dati)};
  scrivi_dump(in, in_y, dati.size(), tipo, json, out, non_vuote);
}

namespace {

using ojson = nlohmann::ordered_json;

std::string tre_decimali(int64_t millesimi) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%s%lld.%03lld", millesimi < 0 ? "-" : "", static_cast<long long>(std::llabs(millesimi) / 1000),
                static_cast<long long>(std::llabs(millesimi) % 1000));
  return buf;
}

std::string orario(int32_t s) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
  return buf;
}

// Values of the model as a person writes them: whole numbers without a point.
std::string testo(const ojson& j) {
  if (j.is_string()) return j.get<std::string>();
  if (j.is_number_float() && j.get<double>() == std::round(j.get<double>()))
    return std::to_string(std::llround(j.get<double>()));
  return j.dump();
}

std::string elenco(const ojson& a, const char* separatore) {
  std::string s;
  for (const ojson& v : a) s += (s.empty() ? "" : separatore) + testo(v);
  return s;
}

}  // namespace

void scrivi_riepilogo(const ojson& m, std::ostream& out) {
  static const ojson nessuna = ojson::array();
  const ojson& progressive = m.contains("progressive") ? m["progressive"] : nessuna;
  // A metre with the kilometre the driver reads there.
  auto posto = [&](const ojson& metro) {
    const auto mt = metro.get<int32_t>();
    return "metro " + std::to_string(mt) + " km " + tre_decimali(metro_letto(progressive, mt));
  };
  auto tratto = [&](const ojson& inizio, const ojson& fine) {
    return "metri " + testo(inizio) + "-" + testo(fine) + " km " +
           tre_decimali(metro_letto(progressive, inizio.get<int32_t>())) + "-" +
           tre_decimali(metro_letto(progressive, fine.get<int32_t>()));
  };
  auto righe = [&](const char* chiave, auto&& riga) {
    if (m.contains(chiave))
      for (const ojson& f : m[chiave]) out << riga(f) << '\n';
  };
  out << "linea " << citato_utf8(testo(m["linea"])) << " treno " << citato_utf8(testo(m["treno"])) << " lunghezza "
      << (m.contains("lunghezza") ? testo(m["lunghezza"]) : "?") << " m\n";
  righe("progressive", [&](const ojson& p) {
    return "progressiva voce " + testo(p["voce"]) + ": metro " + testo(p["metro"]) + " km " +
           tre_decimali(p["chilometro"].get<int64_t>()) + " terzo " + testo(p["terzo"]);
  });
  righe("stazioni", [&](const ojson& s) {
    return "stazione voce " + testo(s["voce"]) + ": " + citato_utf8(s["nome"].get<std::string>()) + " " + posto(s["metro"]) +
           " zona " + testo(s["inizio_zona"]) + ".." + testo(s["fine_zona"]) + " tipo " + testo(s["tipo"]) +
           (s["ferma"].get<bool>() ? " ferma" : " transita") + " orario " + orario(s["orario"].get<int32_t>());
  });
  righe("segnali", [&](const ojson& s) {
    return "segnale cella " + testo(s["cella"]) + ": " + posto(s["metro"]) + " aspetti " + elenco(s["aspetti"], "/") +
           " codice " + testo(s["codice"]) + " tempo " + testo(s["tempo"]);
  });
  righe("rallentamenti", [&](const ojson& r) {
    return "rallentamento: avviso " + (r["avviso"].is_null() ? std::string("assente") : posto(r["avviso"])) +
           " inizio " + posto(r["metro"]) + " fine " + posto(r["fine"]) + " " + testo(r["velocita"]) + " km/h";
  });
  righe("indicatori", [&](const ojson& i) {
    return "indicatori cella " + testo(i["cella"]) + ": " + posto(i["metro"]) + " sinistra " +
           elenco(i["sinistra"], "/") + " destra " + elenco(i["destra"], "/") + " km/h strisce " + testo(i["strisce"]);
  });
  righe("cartelli", [&](const ojson& c) {
    return "cartello cella " + testo(c["cella"]) + ": " + posto(c["metro"]) + " voce " + testo(c["voce"]) + " " +
           citato_utf8(c["testo"].get<std::string>());
  });
  righe("codici", [&](const ojson& c) {
    return "cambio codice cella " + testo(c["cella"]) + ": " + posto(c["metro"]) + " codice " +
           (c["codice"].is_null() ? std::string("nessuno") : testo(c["codice"]));
  });
  righe("montagne", [&](const ojson& s) { return "montagna: " + tratto(s["metro"], s["fine"]) + " tipo " + testo(s["tipo"]); });
  const std::pair<const char*, const char*> profili[] = {{"velocita", "km/h"}, {"pendenza", "‰"}, {"aderenza", ""}};
  for (const auto& [chiave, unita] : profili)
    righe(chiave, [&](const ojson& t) {
      return std::string(chiave) + ": " + tratto(t[0], t[1]) + " " + testo(t[2]) + (*unita ? " " : "") + unita;
    });
}

}  // namespace binario
