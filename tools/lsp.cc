#include "tools/lsp.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include <CLI/CLI.hpp>

#include "base/nomi_file.h"
#include "tools/compila_memoria.h"
#include "tools/identita.h"
#include "sources/chiavi.h"
#include "tools/messaggi.h"
#include "base/testo.h"

namespace binario {

using json = nlohmann::json;

namespace {

constexpr int kErroreParse = -32700;
constexpr int kRichiestaNonValida = -32600;
constexpr int kMetodoSconosciuto = -32601;
constexpr int kParametriNonValidi = -32602;
constexpr int kErroreInterno = -32603;
constexpr int kNonInizializzato = -32002;

constexpr std::string_view kSuffissoLinea = "_linea.txt";
constexpr std::string_view kSuffissoServizio = "-.txt";

bool continuazione(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Byte offset in `riga` of the character number `indice`.
size_t byte_di(const std::string& riga, int indice) {
  size_t b = 0;
  for (int n = 0; n < indice && b < riga.size(); ++n) {
    ++b;
    while (b < riga.size() && continuazione(riga[b])) ++b;
  }
  return b;
}

int caratteri_fino_a(const std::string& riga, size_t byte) {
  int n = 0;
  for (size_t b = 0; b < std::min(byte, riga.size()); ++b)
    if (!continuazione(riga[b])) ++n;
  return n;
}

// Protocol column of a byte offset of `riga`.
int colonna_di_byte(const std::string& riga, size_t byte, bool utf8) {
  byte = std::min(byte, riga.size());
  if (utf8) return static_cast<int>(byte);
  int unita = 0;
  for (size_t b = 0; b < byte; ++b) {
    const auto c = static_cast<unsigned char>(riga[b]);
    if (continuazione(riga[b])) continue;
    unita += c >= 0xF0 ? 2 : 1;  // beyond the BMP: a surrogate pair
  }
  return unita;
}

size_t byte_di_colonna(const std::string& riga, int colonna, bool utf8) {
  if (colonna <= 0) return 0;
  if (utf8) {
    size_t b = std::min(static_cast<size_t>(colonna), riga.size());
    while (b < riga.size() && continuazione(riga[b])) ++b;
    return b;
  }
  int unita = 0;
  size_t b = 0;
  while (b < riga.size() && unita < colonna) {
    unita += static_cast<unsigned char>(riga[b]) >= 0xF0 ? 2 : 1;
    ++b;
    while (b < riga.size() && continuazione(riga[b])) ++b;
  }
  return b;
}

std::vector<std::string> righe_di(const std::string& testo) {
  std::vector<std::string> righe;
  size_t inizio = 0;
  while (true) {
    size_t fine = testo.find('\n', inizio);
    std::string riga = testo.substr(inizio, fine == std::string::npos ? std::string::npos : fine - inizio);
    if (!riga.empty() && riga.back() == '\r') riga.pop_back();
    righe.push_back(std::move(riga));
    if (fine == std::string::npos) break;
    inizio = fine + 1;
  }
  return righe;
}

// The compile reads CR LF lines; an editor may hold LF alone.
std::string con_crlf(const std::string& testo) {
  std::string out;
  out.reserve(testo.size() + testo.size() / 16);
  for (size_t i = 0; i < testo.size(); ++i) {
    if (testo[i] == '\n' && (i == 0 || testo[i - 1] != '\r')) out += '\r';
    out += testo[i];
  }
  return out;
}

std::string decodifica_uri(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(s[i + 2]))) {
      out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

std::optional<std::string> percorso_di(const std::string& uri) {
  constexpr std::string_view kFile = "file://";
  if (uri.compare(0, kFile.size(), kFile) != 0) return std::nullopt;
  return decodifica_uri(uri.substr(kFile.size()));
}

std::string uri_di(const std::string& percorso) {
  std::string out = "file://";
  static constexpr char kEsa[] = "0123456789ABCDEF";
  for (char c : percorso) {
    const auto b = static_cast<unsigned char>(c);
    if (std::isalnum(b) || std::string_view("/-_.~").find(c) != std::string_view::npos) {
      out += c;
    } else {
      out += '%';
      out += kEsa[b >> 4];
      out += kEsa[b & 15];
    }
  }
  return out;
}

bool finisce_con(const std::string& s, std::string_view fine) {
  return s.size() > fine.size() && s.compare(s.size() - fine.size(), fine.size(), fine) == 0;
}

std::optional<std::string> leggi_disco(const std::string& percorso) {
  std::ifstream f(percorso, std::ios::binary);
  if (!f) return std::nullopt;
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

struct coppia {
  std::string cartella, linea, treno;
  std::string percorso_linea, percorso_servizio;
};

// A line text with no service text beside it names no train, so there is
// no pair to compile: the missing text is the whole diagnosis.
esito_compilazione servizio_mancante(const coppia& c) {
  esito_compilazione e;
  diagnostica d;
  d.codice = 25;
  d.id = "servizio-mancante";
  d.file = c.percorso_servizio;
  d.messaggio = std::string(kMessaggioServizioMancante);
  e.errori.push_back(d);
  e.codice_errore = 25;
  return e;
}

std::optional<testo_descrizione> tipo_di(const std::string& percorso) {
  const std::string nome = std::filesystem::path(percorso).filename().string();
  if (finisce_con(nome, kSuffissoLinea)) return testo_descrizione::linea;
  if (finisce_con(nome, kSuffissoServizio) && nome.find('_') != std::string::npos) return testo_descrizione::servizio;
  return std::nullopt;
}

// The train of a line text: an open service text of the same line first,
// then one on disk, in name order so that the choice does not wander.
std::string treno_per(const std::string& cartella, const std::string& linea, const std::vector<std::string>& aperti) {
  const std::string prefisso = linea + "_";
  auto treno_da = [&](const std::string& nome) -> std::optional<std::string> {
    if (nome.compare(0, prefisso.size(), prefisso) != 0 || !finisce_con(nome, kSuffissoServizio)) return std::nullopt;
    std::string t = nome.substr(prefisso.size(), nome.size() - prefisso.size() - kSuffissoServizio.size());
    if (t.empty() || t.find('_') != std::string::npos) return std::nullopt;
    return t;
  };
  for (const std::string& p : aperti) {
    const std::filesystem::path pp(p);
    if (pp.parent_path().string() != cartella) continue;
    if (auto t = treno_da(pp.filename().string())) return *t;
  }
  std::vector<std::string> trovati;
  std::error_code ec;
  for (const auto& voce : std::filesystem::directory_iterator(cartella, ec))
    if (auto t = treno_da(voce.path().filename().string())) trovati.push_back(*t);
  std::sort(trovati.begin(), trovati.end());
  return trovati.empty() ? "" : trovati.front();
}

std::optional<coppia> coppia_di(const std::string& percorso, const std::vector<std::string>& aperti) {
  const std::optional<testo_descrizione> tipo = tipo_di(percorso);
  if (!tipo) return std::nullopt;
  const std::filesystem::path p(percorso);
  const std::string nome = p.filename().string();
  coppia c;
  c.cartella = p.parent_path().string();
  if (*tipo == testo_descrizione::linea) {
    c.linea = nome.substr(0, nome.size() - kSuffissoLinea.size());
    c.treno = treno_per(c.cartella, c.linea, aperti);
  } else {
    const std::string senza = nome.substr(0, nome.size() - kSuffissoServizio.size());
    const size_t sep = senza.rfind('_');
    c.linea = senza.substr(0, sep);
    c.treno = senza.substr(sep + 1);
  }
  if (motivo_nome_rifiutato(c.linea) || (!c.treno.empty() && motivo_nome_rifiutato(c.treno))) return std::nullopt;
  c.percorso_linea = c.cartella + "/" + nome_descrizione_linea(c.linea);
  c.percorso_servizio = c.cartella + "/" + nome_descrizione_servizio(c.linea, c.treno);
  return c;
}

json posizione(int riga, int colonna) { return {{"line", riga}, {"character", colonna}}; }

json intervallo(int riga, int inizio, int fine) { return {{"start", posizione(riga, inizio)}, {"end", posizione(riga, fine)}}; }

constexpr int kNessuno = -1;

// A range on line `riga` (from 1) between two character indexes; the whole
// line when the compile gave no column (kNessuno).
json intervallo_su(const std::vector<std::string>& righe, int riga, int da, int a, bool utf8) {
  const int r = std::max(riga - 1, 0);
  const std::string vuota;
  const std::string& testo = r < static_cast<int>(righe.size()) ? righe[r] : vuota;
  const size_t inizio = da >= 0 ? byte_di(testo, da) : 0;
  const size_t fine = a >= 0 ? byte_di(testo, a) : testo.size();
  return intervallo(r, colonna_di_byte(testo, inizio, utf8), colonna_di_byte(testo, std::max(inizio, fine), utf8));
}

std::string minuscolo(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string senza_spazi(const std::string& s) {
  const size_t a = s.find_first_not_of(" \t");
  if (a == std::string::npos) return "";
  return s.substr(a, s.find_last_not_of(" \t") + 1 - a);
}

struct campo_riga {
  std::string testo;
  size_t inizio = 0, fine = 0;  // bytes of the UTF-8 line
};

// The comma-separated fields; a board's or station's last field runs to the
// end of the line, commas and all, as the reader takes it.
std::vector<campo_riga> campi_di(const std::string& riga, size_t massimo) {
  std::vector<campo_riga> campi;
  size_t inizio = 0;
  while (true) {
    size_t fine = campi.size() + 1 >= massimo ? std::string::npos : riga.find(',', inizio);
    if (fine == std::string::npos) fine = riga.size();
    campi.push_back({riga.substr(inizio, fine - inizio), inizio, fine});
    if (fine >= riga.size()) break;
    inizio = fine + 1;
  }
  return campi;
}

// NaN for a field that holds no number.
double numero(const std::string& s) {
  const std::string t = senza_spazi(s);
  char* fine = nullptr;
  const double v = std::strtod(t.c_str(), &fine);
  return fine == t.c_str() ? std::nan("") : v;
}

double numero_di(const std::vector<campo_riga>& campi, size_t n) {
  return n < campi.size() ? numero(campi[n].testo) : std::nan("");
}

// The rounding of the compile: halves to the even neighbour.
long arrotonda(double v) { return std::lrint(v); }

long cella_di(double metro) { return arrotonda(metro / 50 + 1); }

std::string chilometro(double metro) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.3f", metro / 1000);
  return buf;
}

bool e_intestazione(const std::string& riga) {
  const std::string t = senza_spazi(riga);
  return !t.empty() && t.front() == '[' && t.find(']') != std::string::npos;
}

std::string sezione_a(const std::vector<std::string>& righe, int riga) {
  for (int r = std::min(riga, static_cast<int>(righe.size()) - 1); r >= 0; --r)
    if (e_intestazione(righe[r])) {
      const std::string t = minuscolo(senza_spazi(righe[r]));
      return t.substr(0, t.find(']') + 1);
    }
  return "";
}

std::string tabella_campi(const voce_chiave& k) {
  std::string md = "**" + std::string(k.chiave) + "** (" + std::string(k.sezione) + "): " + std::string(k.descrizione) + "\n\n";
  md += "| # | campo | unità | valori |\n|---|---|---|---|\n";
  for (size_t i = 0; i < k.campi.size(); ++i)
    md += "| " + std::to_string(i + 1) + " | " + std::string(k.campi[i].nome) + " | " + std::string(k.campi[i].unita) + " | " +
          std::string(k.campi[i].tipo) + (intervallo_di(k.campi[i]).empty() ? "" : " " + intervallo_di(k.campi[i])) + " |\n";
  return md;
}

// What the compile makes of a station row: its zone and the cell of its stop.
std::string stazione_compilata(const std::vector<campo_riga>& campi) {
  const double p = numero_di(campi, 1), t = numero_di(campi, 2), z = numero_di(campi, 3), c6 = numero_di(campi, 6);
  if (std::isnan(p) || std::isnan(t) || std::isnan(z)) return "";
  const long tipo = static_cast<long>(t);
  double inizio = 0, fine = 0;
  if (tipo == 5 || tipo == 6) {
    inizio = p - z;
    fine = p + 150;
  } else if (tipo == 7 || tipo == 8) {
    inizio = p - z;
    fine = p + z;
  } else {
    inizio = static_cast<double>(arrotonda(p - z / 2));
    fine = static_cast<double>(arrotonda(p + z / 2 + (!std::isnan(c6) && c6 != 0 ? 50 : 0)));
  }
  std::string s = "zona " + std::to_string(static_cast<long>(inizio)) + " .. " + std::to_string(static_cast<long>(fine)) + " m";
  if (tipo < 25) s += "; fermata alla cella " + std::to_string(arrotonda(fine / 50 - 1)) + " (tipo 10)";
  else s += "; nessuna fermata (tipo da 25 in su)";
  return s;
}

std::string valore_compilato(const voce_chiave& k, const std::vector<campo_riga>& campi) {
  const double p = numero_di(campi, 1);
  if (std::isnan(p) || k.campi.empty() || k.campi.front().unita != "m") return "";
  std::string s = "metro " + std::to_string(static_cast<long>(p)) + ", km " + chilometro(p) + " dall'origine";
  const std::string_view chiave = k.chiave;
  if (chiave == "segnale") s += "; cella " + std::to_string(cella_di(p)) + ", tipo 1 (segnale)";
  if (chiave == "cartello_indicatore") s += "; cella " + std::to_string(cella_di(p)) + ", tipo 14 (cartello indicatore)";
  if (chiave == "abbattimento") s += "; cella " + std::to_string(arrotonda(p / 50)) + ", tipo 12 o 13 (cambio codice)";
  if (chiave == "rallentamento") {
    const double l = numero_di(campi, 3);
    s += "; inizio alla cella " + std::to_string(cella_di(p)) + " (tipo 3)";
    if (!std::isnan(l)) s += ", fine alla cella " + std::to_string(cella_di(p + l)) + " (tipo 2)";
    if (p > 1500) s += ", avviso alla cella " + std::to_string(cella_di(p - 1200)) + " (tipo 4)";
  }
  if (chiave == "pendenza" || chiave == "velocita" || chiave == "aderenza")
    s += "; in vigore dalla cella " + std::to_string(arrotonda(p / 50));
  if (chiave == "stazione") {
    const std::string st = stazione_compilata(campi);
    if (!st.empty()) s += "; " + st;
  }
  return s;
}

std::string snippet(const voce_chiave& k) {
  std::string s(k.chiave);
  for (size_t i = 0; i < k.campi.size(); ++i) s += ",${" + std::to_string(i + 1) + ":" + std::string(k.campi[i].nome) + "}";
  return s;
}

bool sovrapposti(const json& a, const json& b) {
  auto prima = [](const json& x, const json& y) {
    return x["line"].get<int>() < y["line"].get<int>() ||
           (x["line"].get<int>() == y["line"].get<int>() && x["character"].get<int>() <= y["character"].get<int>());
  };
  return prima(a["start"], b["end"]) && prima(b["start"], a["end"]);
}

}  // namespace

std::optional<std::string> leggi_messaggio(std::istream& in) {
  std::string riga;
  std::optional<size_t> lunghezza;
  bool qualcosa = false;
  while (std::getline(in, riga)) {
    if (!riga.empty() && riga.back() == '\r') riga.pop_back();
    if (riga.empty()) {
      if (!qualcosa) continue;  // stray blank lines between messages
      break;
    }
    qualcosa = true;
    const size_t due_punti = riga.find(':');
    if (due_punti != std::string::npos && minuscolo(riga.substr(0, due_punti)) == "content-length") {
      const std::string v = senza_spazi(riga.substr(due_punti + 1));
      if (!v.empty() && v.find_first_not_of("0123456789") == std::string::npos && v.size() < 10) lunghezza = std::stoul(v);
    }
  }
  if (!qualcosa) return std::nullopt;
  if (!lunghezza) return std::string();
  // In pieces: a length that promises more than the input holds must not
  // reserve that memory up front.
  std::string corpo;
  char pezzo[65536];
  for (size_t resta = *lunghezza; resta > 0 && in;) {
    in.read(pezzo, static_cast<std::streamsize>(std::min(resta, sizeof pezzo)));
    corpo.append(pezzo, static_cast<size_t>(in.gcount()));
    resta -= static_cast<size_t>(in.gcount());
  }
  return corpo;
}

void scrivi_messaggio(std::ostream& out, const json& messaggio) {
  const std::string corpo = messaggio.dump(-1, ' ', false, json::error_handler_t::replace);
  out << "Content-Length: " << corpo.size() << "\r\n\r\n" << corpo;
  out.flush();
}

int colonna_protocollo(const std::string& riga_utf8, int indice, bool utf8) {
  return colonna_di_byte(riga_utf8, byte_di(riga_utf8, indice), utf8);
}

int indice_da_colonna(const std::string& riga_utf8, int colonna, bool utf8) {
  return caratteri_fino_a(riga_utf8, byte_di_colonna(riga_utf8, colonna, utf8));
}


server_lsp::server_lsp(std::function<void(const json&)> invia) : invia_(std::move(invia)) {
  compila_ = [](const std::string& cartella, const std::string& linea, const std::string& treno,
                const std::optional<std::string>& testo_linea, const std::optional<std::string>& testo_servizio) {
    return compila_in_memoria(cartella, linea, treno, testo_linea, testo_servizio);
  };
}

bool server_lsp::gestisci(const std::string& corpo) {
  const json m = json::parse(corpo, nullptr, false);
  if (m.is_discarded()) {
    errore(nullptr, kErroreParse, "messaggio JSON non valido");
    return true;
  }
  const bool ha_id = m.is_object() && m.contains("id") && (m["id"].is_number_integer() || m["id"].is_string());
  if (!m.is_object() || !m.contains("method") || !m["method"].is_string() ||
      (m.contains("id") && !ha_id)) {
    errore(ha_id ? m["id"] : json(nullptr), kRichiestaNonValida, "non è una richiesta JSON-RPC 2.0");
    return true;
  }
  const std::string metodo = m["method"];
  const json parametri = m.value("params", json::object());
  if (!ha_id) {
    if (metodo == "exit") return false;
    try {
      if (inizializzato_) notifica(metodo, parametri);
    } catch (const std::exception& e) {
      // A notification has no answer: the client hears of it in its log.
      invia_({{"jsonrpc", "2.0"}, {"method", "window/logMessage"}, {"params", {{"type", 1}, {"message", std::string("binario: ") + e.what()}}}});
    }
    return true;
  }
  const json id = m["id"];
  if (!inizializzato_ && metodo != "initialize") {
    errore(id, kNonInizializzato, "il server non è ancora inizializzato");
    return true;
  }
  if (spento_) {
    errore(id, kRichiestaNonValida, "il server è stato spento");
    return true;
  }
  try {
    std::optional<json> risultato = richiesta(metodo, parametri);
    if (!risultato) errore(id, kMetodoSconosciuto, "metodo sconosciuto: " + metodo);
    else invia_({{"jsonrpc", "2.0"}, {"id", id}, {"result", *risultato}});
  } catch (const json::exception& e) {
    errore(id, kParametriNonValidi, std::string("parametri non validi: ") + e.what());
  } catch (const std::exception& e) {
    errore(id, kErroreInterno, std::string("errore interno: ") + e.what());
  }
  return true;
}

void server_lsp::errore(const json& id, int codice, const std::string& messaggio) {
  invia_({{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", codice}, {"message", messaggio}}}});
}

std::optional<json> server_lsp::richiesta(const std::string& metodo, const json& p) {
  if (metodo == "initialize") return inizializza(p);
  if (metodo == "shutdown") {
    spento_ = true;
    return json(nullptr);
  }
  if (metodo == "textDocument/hover") return hover(p);
  if (metodo == "textDocument/completion") return completamento(p);
  if (metodo == "textDocument/documentSymbol") return simboli(p);
  if (metodo == "textDocument/codeAction") return azioni(p);
  return std::nullopt;
}

json server_lsp::inizializza(const json& p) {
  inizializzato_ = true;
  const json codifiche = p.contains("capabilities") ? p["capabilities"].value("general", json::object()).value("positionEncodings", json::array())
                                                    : json::array();
  // Windows-1252 text is one UTF-16 unit per byte, but a client that counts
  // UTF-8 saves it the conversion of every position.
  utf8_ = std::find(codifiche.begin(), codifiche.end(), "utf-8") != codifiche.end();
  return {{"capabilities",
           {{"positionEncoding", utf8_ ? "utf-8" : "utf-16"},
            {"textDocumentSync", {{"openClose", true}, {"change", 1}, {"save", {{"includeText", false}}}}},
            {"hoverProvider", true},
            {"completionProvider", {{"triggerCharacters", {"["}}}},
            {"documentSymbolProvider", true},
            {"codeActionProvider", {{"codeActionKinds", {"quickfix"}}}}}},
          {"serverInfo", {{"name", "binario"}}}};
}

void server_lsp::notifica(const std::string& metodo, const json& p) {
  if (!p.is_object() || !p.contains("textDocument") || !p["textDocument"].is_object()) return;
  const std::string uri = p["textDocument"].value("uri", "");
  if (metodo == "textDocument/didOpen") {
    documenti_[uri].testo = p["textDocument"].value("text", "");
  } else if (metodo == "textDocument/didChange") {
    auto it = documenti_.find(uri);
    if (it == documenti_.end() || !p.contains("contentChanges") || !p["contentChanges"].is_array()) return;
    for (const json& c : p["contentChanges"])
      if (c.is_object() && !c.contains("range") && c.contains("text") && c["text"].is_string()) it->second.testo = c["text"];
  } else if (metodo == "textDocument/didClose") {
    documenti_.erase(uri);
    correzioni_.erase(uri);
    invia_({{"jsonrpc", "2.0"}, {"method", "textDocument/publishDiagnostics"}, {"params", {{"uri", uri}, {"diagnostics", json::array()}}}});
    return;
  } else if (metodo != "textDocument/didSave") {
    return;
  }
  ricompila(uri);
}

std::optional<std::string> server_lsp::testo_utf8(const std::string& uri) const {
  auto it = documenti_.find(uri);
  if (it != documenti_.end()) return it->second.testo;
  const auto percorso = percorso_di(uri);
  if (!percorso) return std::nullopt;
  const auto disco = leggi_disco(*percorso);
  if (!disco) return std::nullopt;
  return utf8_da_cp1252(*disco);
}

void server_lsp::ricompila(const std::string& uri) {
  const auto percorso = percorso_di(uri);
  if (!percorso) return;
  std::vector<std::string> aperti;
  std::map<std::string, std::string> uri_aperti;  // path -> the client's own spelling of its URI
  for (const auto& [u, d] : documenti_)
    if (auto pp = percorso_di(u)) {
      aperti.push_back(*pp);
      uri_aperti[*pp] = u;
    }
  const auto c = coppia_di(*percorso, aperti);
  if (!c) return;

  struct testo {
    std::string percorso, uri;
    std::optional<std::string> byte;  // for the compile
    std::vector<std::string> righe;   // UTF-8, for the positions
    json diagnostiche = json::array();
    std::vector<correzione> correzioni;
  };
  testo t[2];
  t[0].percorso = c->percorso_linea;
  t[1].percorso = c->percorso_servizio;
  for (testo& x : t) {
    x.uri = uri_aperti.count(x.percorso) ? uri_aperti[x.percorso] : uri_di(x.percorso);
    auto it = documenti_.find(x.uri);
    if (it != documenti_.end()) {
      x.byte = cp1252(con_crlf(it->second.testo));
      x.righe = righe_di(it->second.testo);
    } else if ((x.byte = leggi_disco(x.percorso))) {
      x.righe = righe_di(utf8_da_cp1252(*x.byte));
    }
  }
  const esito_compilazione esito =
      c->treno.empty() ? servizio_mancante(*c) : compila_(c->cartella, c->linea, c->treno, t[0].byte, t[1].byte);
  testo& attivo = t[0].percorso == *percorso ? t[0] : t[1];

  // A diagnostic about a text that is missing lands at the top of the one at hand.
  auto destinazione = [&](const std::string& file, int& riga, std::string& messaggio) -> testo& {
    for (testo& x : t)
      if (x.percorso == file && x.byte) return x;
    if (!file.empty()) messaggio = std::filesystem::path(file).filename().string() + ": " + messaggio;
    riga = 0;
    return attivo;
  };
  auto correlati = [&](const dettagli_diagnostica& d) {
    json r = json::array();
    for (const nota_correlata& n : d.correlati) {
      testo* x = nullptr;
      for (testo& y : t)
        if (y.percorso == n.file) x = &y;
      const std::vector<std::string> nessuna;
      const auto& righe = x ? x->righe : nessuna;
      json luogo = {{"uri", x ? x->uri : uri_di(n.file)},
                    {"range", intervallo_su(righe, n.riga, n.colonna.value_or(0) - 1, n.colonna.value_or(kNessuno), utf8_)}};
      r.push_back({{"location", luogo}, {"message", n.messaggio}});
    }
    return r;
  };
  auto pubblica = [&](testo& x, int riga, const dettagli_diagnostica& d, int gravita, json codice, std::string messaggio,
                      std::optional<json> intervallo_campo, std::optional<std::string> suggerimento) {
    const int da = d.colonna.value_or(0) - 1;
    const int a = d.fine_colonna.value_or(0) - 1;
    json intervallo = d.colonna ? intervallo_su(x.righe, riga, da, a, utf8_)
                                : intervallo_campo.value_or(intervallo_su(x.righe, riga, kNessuno, kNessuno, utf8_));
    // Found past the point where the reading stopped: the compile itself
    // never got there, so it is a hint of what comes next, not a result.
    if (d.dopo_arresto) gravita = 3;
    json diag = {{"range", intervallo}, {"severity", gravita}, {"code", codice}, {"source", "binario"}, {"message", messaggio}};
    json rel = correlati(d);
    if (!rel.empty()) diag["relatedInformation"] = rel;
    x.diagnostiche.push_back(diag);
    if (d.suggerimento) suggerimento = d.suggerimento;
    if (suggerimento && (d.colonna || intervallo_campo)) x.correzioni.push_back({diag, d.colonna ? intervallo : *intervallo_campo, *suggerimento});
  };

  for (const diagnostica& d : esito.errori) {
    int riga = d.riga;
    std::string messaggio = d.messaggio;
    if (d.cella) messaggio = "cella " + std::to_string(*d.cella) + (d.posizione ? " (metro " + std::to_string(*d.posizione) + ")" : "") + ": " + messaggio;
    else if (d.posizione && riga == 0) messaggio = "metro " + std::to_string(*d.posizione) + ": " + messaggio;
    if (d.interrompe) messaggio += " (la lettura del file si ferma qui)";
    testo& x = destinazione(d.file, riga, messaggio);
    pubblica(x, riga, d, 1, d.id.empty() ? json(d.codice) : json(d.id), messaggio, std::nullopt, std::nullopt);
  }
  for (const avviso& a : esito.avvisi) {
    int riga = a.riga;
    std::string messaggio = a.messaggio;
    testo& x = destinazione(a.file, riga, messaggio);
    std::optional<json> campo;
    std::optional<std::string> suggerimento;
    if (riga > 0 && riga <= static_cast<int>(x.righe.size()) && !a.campi.empty()) {
      const std::string& testo_riga = x.righe[riga - 1];
      const std::string cercato = senza_spazi(a.campi.front());
      const size_t dove = cercato.empty() ? std::string::npos : testo_riga.find(cercato);
      if (dove != std::string::npos) {
        const int da = caratteri_fino_a(testo_riga, dove);
        campo = intervallo_su(x.righe, riga, da, da + caratteri_fino_a(cercato, cercato.size()), utf8_);
        const testo_descrizione tipo = &x == &t[0] ? testo_descrizione::linea : testo_descrizione::servizio;
        // The compile's own suggestion first; a key near the field otherwise.
        suggerimento = a.suggerimento ? a.suggerimento : chiave_vicina(cercato, tipo);
        if (suggerimento && !a.suggerimento) messaggio += "; forse \"" + *suggerimento + "\"?";
      }
    }
    pubblica(x, riga, a, 2, a.id.empty() ? json("chiave-ignorata") : json(a.id), messaggio, campo, suggerimento);
  }
  if (esito.fatale) {
    int riga = 0;
    std::string messaggio = "errore " + std::to_string(*esito.fatale) + ": " + std::string(messaggio_errore(*esito.fatale));
    pubblica(attivo, riga, dettagli_diagnostica{}, 1, *esito.fatale, messaggio, std::nullopt, std::nullopt);
  }
  if (esito.guasto) pubblica(attivo, 0, dettagli_diagnostica{}, 1, "guasto", *esito.guasto, std::nullopt, std::nullopt);

  for (testo& x : t) {
    if (!x.byte) continue;
    correzioni_[x.uri] = std::move(x.correzioni);
    invia_({{"jsonrpc", "2.0"},
            {"method", "textDocument/publishDiagnostics"},
            {"params", {{"uri", x.uri}, {"diagnostics", std::move(x.diagnostiche)}}}});
  }
}

json server_lsp::hover(const json& p) {
  const std::string uri = p.at("textDocument").at("uri");
  const int r = p.at("position").at("line");
  const int colonna = p.at("position").at("character");
  const auto testo = testo_utf8(uri);
  const auto percorso = percorso_di(uri);
  if (!testo || !percorso || !tipo_di(*percorso)) return nullptr;
  const auto righe = righe_di(*testo);
  if (r < 0 || r >= static_cast<int>(righe.size())) return nullptr;
  const std::string& riga = righe[r];
  const size_t byte = byte_di_colonna(riga, colonna, utf8_);
  const std::string primo = riga.substr(0, riga.find(','));
  const voce_chiave* k = chiave_di_campo(primo, *tipo_di(*percorso));
  if (k == nullptr || e_intestazione(riga)) return nullptr;
  const auto campi = campi_di(riga, k->campi.size() + 1);
  size_t n = 0;
  while (n + 1 < campi.size() && byte > campi[n].fine) ++n;
  std::string md;
  if (n == 0) {
    md = tabella_campi(*k);
  } else {
    md = n <= k->campi.size() ? "**" + std::string(k->campi[n - 1].nome) + "**" : "campo in più";
    if (n <= k->campi.size() && !k->campi[n - 1].unita.empty()) md += " (" + std::string(k->campi[n - 1].unita) + ")";
    md += " = `" + senza_spazi(campi[n].testo) + "` in una riga **" + std::string(k->chiave) + "**";
    const std::string compilato = valore_compilato(*k, campi);
    if (!compilato.empty()) md += "\n\n" + compilato;
  }
  const auto& c = campi[n];
  return {{"contents", {{"kind", "markdown"}, {"value", md}}},
          {"range", intervallo(r, colonna_di_byte(riga, c.inizio, utf8_), colonna_di_byte(riga, c.fine, utf8_))}};
}

json server_lsp::completamento(const json& p) {
  const std::string uri = p.at("textDocument").at("uri");
  const int r = p.at("position").at("line");
  const int colonna = p.at("position").at("character");
  const auto testo = testo_utf8(uri);
  const auto percorso = percorso_di(uri);
  json voci = json::array();
  if (!testo || !percorso || !tipo_di(*percorso)) return voci;
  const testo_descrizione tipo = *tipo_di(*percorso);
  const auto righe = righe_di(*testo);
  const std::string riga = r >= 0 && r < static_cast<int>(righe.size()) ? righe[r] : "";
  // Past the first comma the author is typing values, not a key.
  if (riga.substr(0, byte_di_colonna(riga, colonna, utf8_)).find(',') != std::string::npos) return voci;
  const std::string sezione = sezione_a(righe, r - 1);
  for (const voce_chiave& k : tabella_chiavi()) {
    if (k.testo != tipo || (!sezione.empty() && k.sezione != sezione)) continue;
    std::string dettaglio;
    for (const campo_chiave& c : k.campi) dettaglio += (dettaglio.empty() ? "" : ", ") + std::string(c.nome);
    voci.push_back({{"label", k.chiave},
                    {"kind", 14},
                    {"detail", dettaglio},
                    {"documentation", {{"kind", "markdown"}, {"value", tabella_campi(k)}}},
                    {"insertTextFormat", 2},
                    {"insertText", snippet(k)}});
  }
  for (std::string_view s : sezioni_di(tipo)) voci.push_back({{"label", s}, {"kind", 9}, {"insertText", s}});
  return voci;
}

json server_lsp::simboli(const json& p) {
  const std::string uri = p.at("textDocument").at("uri");
  const auto testo = testo_utf8(uri);
  const auto percorso = percorso_di(uri);
  json sezioni = json::array();
  if (!testo || !percorso || !tipo_di(*percorso)) return sezioni;
  const auto righe = righe_di(*testo);
  auto chiudi = [&](int fine) {
    if (sezioni.empty()) return;
    json& s = sezioni.back();
    const int ultima = std::max(fine, s["range"]["start"]["line"].get<int>());
    s["range"]["end"] = posizione(ultima, colonna_di_byte(righe[ultima], righe[ultima].size(), utf8_));
  };
  for (int r = 0; r < static_cast<int>(righe.size()); ++r) {
    const std::string& riga = righe[r];
    const json tutta = intervallo(r, 0, colonna_di_byte(riga, riga.size(), utf8_));
    if (e_intestazione(riga)) {
      chiudi(r - 1);
      sezioni.push_back({{"name", senza_spazi(riga)}, {"kind", 3}, {"range", tutta}, {"selectionRange", tutta}, {"children", json::array()}});
      continue;
    }
    const voce_chiave* k = chiave_di_campo(riga.substr(0, riga.find(',')), *tipo_di(*percorso));
    if (k == nullptr || sezioni.empty()) continue;
    const std::string_view c = k->chiave;
    int tipo = 0;
    if (c == "stazione") tipo = 19;
    if (c == "segnale") tipo = 24;
    if (c == "rallentamento") tipo = 8;
    if (c == "cartello_indicatore" || c == "indicatori_vmax") tipo = 14;
    if (tipo == 0) continue;
    const auto campi = campi_di(riga, k->campi.size() + 1);
    const double metro = numero_di(campi, 1);
    std::string nome(c);
    if (c == "stazione" && campi.size() > k->campi.size()) nome += " " + senza_spazi(campi.back().testo);
    if (!std::isnan(metro)) nome += " " + std::to_string(static_cast<long>(metro)) + " m";
    json simbolo = {{"name", nome}, {"kind", tipo}, {"range", tutta}, {"selectionRange", tutta}};
    if (!std::isnan(metro)) simbolo["detail"] = "km " + chilometro(metro) + ", cella " + std::to_string(cella_di(metro));
    sezioni.back()["children"].push_back(simbolo);
  }
  chiudi(static_cast<int>(righe.size()) - 1);
  return sezioni;
}

json server_lsp::azioni(const json& p) {
  const std::string uri = p.at("textDocument").at("uri");
  const json& dove = p.at("range");
  json azioni = json::array();
  auto it = correzioni_.find(uri);
  if (it == correzioni_.end()) return azioni;
  for (const correzione& c : it->second) {
    if (!sovrapposti(c.diagnostica["range"], dove)) continue;
    json modifica = {{"range", c.intervallo}, {"newText", c.testo}};
    azioni.push_back({{"title", "Sostituisci con \"" + c.testo + "\""},
                      {"kind", "quickfix"},
                      {"isPreferred", true},
                      {"diagnostics", {c.diagnostica}},
                      {"edit", {{"changes", {{uri, {modifica}}}}}}});
  }
  return azioni;
}

int esegui_lsp(std::istream& in, std::ostream& out) {
  server_lsp server([&out](const json& m) { scrivi_messaggio(out, m); });
  while (auto corpo = leggi_messaggio(in))
    if (!server.gestisci(*corpo)) break;
  return server.stato_uscita();
}

CLI::App* aggiungi_comando_lsp(CLI::App& app) {
  CLI::App* lsp = app.add_subcommand("lsp", "Server del Language Server Protocol per i testi di descrizione, su standard input e output");
  lsp->footer(
      "Per l'editor: diagnostiche mentre si scrive, descrizione delle chiavi, completamento, simboli e correzioni "
      "rapide. Non scrive mai su disco. Configurazione per Neovim, VS Code e Helix in tools/README.md.");
  return lsp;
}

}  // namespace binario
