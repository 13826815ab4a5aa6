#include "tools/dump.h"

#include <charconv>
#include <cstdio>
#include <ostream>
#include <sstream>
#include <type_traits>

#include "base/testo.h"

namespace binario {

namespace {

// Quoted, in UTF-8, with what a terminal would swallow made visible.
std::string citato(const std::string& nome) {
  std::string out = "\"";
  for (char c : utf8_da_cp1252(nome)) {
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

nlohmann::json json_voce(int indice, const voce& v) {
  nlohmann::json j = {{"voce", indice}};
  campi_voce(v, campo_in_json{j});
  return j;
}

nlohmann::json json_cella(int indice, const cella& c) {
  nlohmann::json j = {{"cella", indice}};
  campi_cella(c, campo_in_json{j});
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
  std::string riga = "cella " + std::to_string(indice) + ":";
  campi_cella(c, campo_in_riga{riga});
  return riga;
}

std::string riga_metro(int metro, const elemento_tracciato& x, const elemento_tracciato& y) {
  return "metro " + std::to_string(metro) + ": x=" + testo_elemento(x) + " y=" + testo_elemento(y);
}

void scrivi_dump(std::istream& in, std::istream& in_y, size_t byte, tipo_file tipo, bool json, std::ostream& out) {
  array_json array(out);
  auto emetti = [&](auto&& come_json, auto&& come_riga) {
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
        emetti([&] { return json_voce(i, v); }, [&] { return riga_voce(i, v); });
      });
      break;
    case tipo_file::griglia:
      leggi_griglia(in, byte, [](int, const cella&) {});
      leggi_griglia(in, byte, [&](int i, const cella& c) {
        emetti([&] { return json_cella(i, c); }, [&] { return riga_cella(i, c); });
      });
      break;
    case tipo_file::tracciato:
      // Checks the whole file before its first metre.
      leggi_tracciato(in, in_y, byte, [&](int m, const elemento_tracciato& x, const elemento_tracciato& y) {
        emetti([&] { return json_metro(m, x, y); }, [&] { return riga_metro(m, x, y); });
      });
      break;
  }
  if (json) array.chiudi();
}

void scrivi_dump(std::string_view dati, tipo_file tipo, bool json, std::ostream& out) {
  std::istringstream in{std::string(dati)}, in_y{std::string(dati)};
  scrivi_dump(in, in_y, dati.size(), tipo, json, out);
}

}  // namespace binario
