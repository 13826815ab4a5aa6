#include "tools/dump.h"

#include <charconv>
#include <cstdio>
#include <ostream>

#include "tools/utf8.h"

namespace binario {

namespace {

// Quoted, in UTF-8, with what a terminal would swallow made visible.
std::string citato(const std::string& nome) {
  std::string out = "\"";
  for (char c : da_cp1252(nome)) {
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

nlohmann::json json_voce(int indice, const voce& v) {
  return {{"voce", indice},           {"tipo", v.tipo},
          {"inizio_zona", v.inizio_zona}, {"fine_zona", v.fine_zona},
          {"posizione", v.posizione}, {"colonna_4", v.colonna_4},
          {"nome", da_cp1252(v.nome)}, {"colonna_7", v.colonna_7},
          {"colonna_8", v.colonna_8}, {"colonna_10", v.colonna_10},
          {"colonna_11", v.colonna_11}, {"colonna_12", v.colonna_12},
          {"colonna_9", v.colonna_9}, {"colonna_13", v.colonna_13},
          {"colonna_6", v.colonna_6}, {"colonna_5", v.colonna_5},
          {"orario", v.orario}};
}

nlohmann::json json_cella(int indice, const cella& c) {
  return {{"cella", indice},
          {"tipo", c.tipo},
          {"valore_a", c.valore_a},
          {"valore_b", c.valore_b},
          {"valore_c", c.valore_c},
          {"valore_d", c.valore_d},
          {"tempo_segnale", c.tempo_segnale},
          {"codice_avviso", c.codice_avviso},
          {"tipo_montagna", c.tipo_montagna},
          {"velocita_limite", c.velocita_limite},
          {"pendenza", c.pendenza},
          {"aderenza", c.aderenza}};
}

nlohmann::json json_metro(int metro, const elemento_tracciato& x, const elemento_tracciato& y) {
  return {{"metro", metro},
          {"x", json_elemento(x)},
          {"y", json_elemento(y)},
          {"tipo_x", static_cast<int>(x.tipo)},
          {"tipo_y", static_cast<int>(y.tipo)}};
}

}  // namespace

std::string riga_voce(int indice, const voce& v) {
  return "voce " + std::to_string(indice) + ": tipo=" + std::to_string(v.tipo) +
         " inizio_zona=" + std::to_string(v.inizio_zona) + " fine_zona=" + std::to_string(v.fine_zona) +
         " posizione=" + std::to_string(v.posizione) + " colonna_4=" + std::to_string(v.colonna_4) +
         " nome=" + citato(v.nome) + " colonna_7=" + std::to_string(v.colonna_7) +
         " colonna_8=" + std::to_string(v.colonna_8) + " colonna_10=" + std::to_string(v.colonna_10) +
         " colonna_11=" + std::to_string(v.colonna_11) + " colonna_12=" + std::to_string(v.colonna_12) +
         " colonna_9=" + std::to_string(v.colonna_9) + " colonna_13=" + std::to_string(v.colonna_13) +
         " colonna_6=" + std::to_string(v.colonna_6) + " colonna_5=" + std::to_string(v.colonna_5) +
         " orario=" + std::to_string(v.orario);
}

std::string riga_cella(int indice, const cella& c) {
  return "cella " + std::to_string(indice) + ": tipo=" + std::to_string(c.tipo) +
         " valore_a=" + std::to_string(c.valore_a) + " valore_b=" + std::to_string(c.valore_b) +
         " valore_c=" + std::to_string(c.valore_c) + " valore_d=" + std::to_string(c.valore_d) +
         " tempo_segnale=" + std::to_string(c.tempo_segnale) + " codice_avviso=" + std::to_string(c.codice_avviso) +
         " tipo_montagna=" + std::to_string(c.tipo_montagna) +
         " velocita_limite=" + std::to_string(c.velocita_limite) + " pendenza=" + std::to_string(c.pendenza) +
         " aderenza=" + std::to_string(c.aderenza);
}

std::string riga_metro(int metro, const elemento_tracciato& x, const elemento_tracciato& y) {
  return "metro " + std::to_string(metro) + ": x=" + testo_elemento(x) + " y=" + testo_elemento(y);
}

void scrivi_dump(std::string_view dati, tipo_file tipo, bool json, std::ostream& out) {
  std::vector<nlohmann::json> oggetti;
  std::vector<std::string> righe;
  auto emetti = [&](auto&& come_json, auto&& come_riga) {
    if (json)
      oggetti.push_back(come_json());
    else
      righe.push_back(come_riga());
  };
  switch (tipo) {
    case tipo_file::voci: {
      const std::vector<voce> voci = decodifica_voci(dati);
      for (int i = 0; i < static_cast<int>(voci.size()); ++i) {
        const voce& v = voci[static_cast<size_t>(i)];
        emetti([&] { return json_voce(i, v); }, [&] { return riga_voce(i, v); });
      }
      break;
    }
    case tipo_file::griglia: {
      const std::vector<cella> celle = decodifica_griglia(dati);
      for (int i = 0; i < static_cast<int>(celle.size()); ++i) {
        const cella& c = celle[static_cast<size_t>(i)];
        emetti([&] { return json_cella(i, c); }, [&] { return riga_cella(i, c); });
      }
      break;
    }
    case tipo_file::tracciato: {
      const tracciato_decodificato t = decodifica_tracciato(dati);
      for (int m = 0; m < static_cast<int>(t.x.size()); ++m) {
        const elemento_tracciato& x = t.x[static_cast<size_t>(m)];
        const elemento_tracciato& y = t.y[static_cast<size_t>(m)];
        emetti([&] { return json_metro(m, x, y); }, [&] { return riga_metro(m, x, y); });
      }
      break;
    }
  }
  if (json) {
    out << nlohmann::json(oggetti).dump(1) << '\n';
    return;
  }
  for (const std::string& r : righe) out << r << '\n';
}

}  // namespace binario
