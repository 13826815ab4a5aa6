#include "tools/lsp.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tools/compila_memoria.h"
#include "sources/chiavi.h"
#include "tools/processo_test.h"
#include "tools/scenario_prova_test.h"
#include "base/testo.h"

namespace binario::test {
namespace {

using json = nlohmann::json;

std::string inquadra(const std::string& corpo) { return "Content-Length: " + std::to_string(corpo.size()) + "\r\n\r\n" + corpo; }

std::string unisci(const std::vector<std::string>& righe) {
  std::string t;
  for (const std::string& r : righe) t += r + "\n";
  return t;
}

class ServerLsp : public CartellaTemporanea {
 protected:
  void SetUp() override {
    CartellaTemporanea::SetUp();
    dir_ = cartella("testi");
    uri_linea_ = "file://" + (dir_ / "Prova_linea.txt").string();
    uri_servizio_ = "file://" + (dir_ / "Prova_7-.txt").string();
  }

  void invia(const json& m) { ASSERT_TRUE(server_.gestisci(m.dump())); }
  void inizializza(json capacita = json::object()) {
    invia({{"jsonrpc", "2.0"}, {"id", 0}, {"method", "initialize"}, {"params", {{"capabilities", capacita}}}});
    invia({{"jsonrpc", "2.0"}, {"method", "initialized"}, {"params", json::object()}});
  }
  void notifica(const std::string& metodo, const json& parametri) {
    invia({{"jsonrpc", "2.0"}, {"method", metodo}, {"params", parametri}});
  }
  void apri(const std::string& uri, const std::string& testo) {
    notifica("textDocument/didOpen", {{"textDocument", {{"uri", uri}, {"languageId", "binario"}, {"version", 1}, {"text", testo}}}});
  }
  void cambia(const std::string& uri, const std::string& testo) {
    notifica("textDocument/didChange", {{"textDocument", {{"uri", uri}, {"version", 2}}}, {"contentChanges", {{{"text", testo}}}}});
  }
  json richiedi(const std::string& metodo, const json& parametri) {
    const int id = ++ultimo_id_;
    invia({{"jsonrpc", "2.0"}, {"id", id}, {"method", metodo}, {"params", parametri}});
    for (const json& m : ricevuti_)
      if (m.contains("id") && m["id"] == id) return m;
    ADD_FAILURE() << "nessuna risposta a " << metodo;
    return json::object();
  }
  json in_posizione(const std::string& uri, int riga, int carattere) {
    return {{"textDocument", {{"uri", uri}}}, {"position", {{"line", riga}, {"character", carattere}}}};
  }
  // The diagnostics last published for `uri`; null when none were.
  json diagnostiche(const std::string& uri) {
    json ultime = nullptr;
    for (const json& m : ricevuti_)
      if (m.value("method", "") == "textDocument/publishDiagnostics" && m["params"]["uri"] == uri) ultime = m["params"]["diagnostics"];
    return ultime;
  }
  void scrivi_linea_su_disco() { scrivi(dir_ / "Prova_linea.txt", testo(righe_linea_prova())); }

  std::vector<json> ricevuti_;
  server_lsp server_{[this](const json& m) { ricevuti_.push_back(m); }};
  std::filesystem::path dir_;
  std::string uri_linea_, uri_servizio_;
  int ultimo_id_ = 0;
};

TEST_F(ServerLsp, ConflittoSullaSuaRigaEDiagnosticheVuotePerLAltroTesto) {
  scrivi_linea_su_disco();
  inizializza();
  auto righe = righe_servizio_prova();
  righe[14] = righe[13];  // a second signal on the first one's cell
  apri(uri_servizio_, unisci(righe));

  const json d = diagnostiche(uri_servizio_);
  ASSERT_EQ(d.size(), 1u) << d.dump();
  // The range is the position field the compile blames, its code the check's name.
  const size_t posizione = righe[14].find("550");
  EXPECT_EQ(d[0]["range"]["start"]["line"], 14);
  EXPECT_EQ(d[0]["range"]["start"]["character"], posizione);
  EXPECT_EQ(d[0]["range"]["end"]["character"], posizione + 3);
  EXPECT_EQ(d[0]["severity"], 1);
  EXPECT_EQ(d[0]["code"], "segnale-cella-occupata");
  EXPECT_EQ(d[0]["relatedInformation"].at(0)["location"]["range"]["start"]["line"], 13);
  EXPECT_EQ(d[0]["source"], "binario");
  EXPECT_EQ(diagnostiche(uri_linea_), json::array());

  cambia(uri_servizio_, unisci(righe_servizio_prova()));
  EXPECT_EQ(diagnostiche(uri_servizio_), json::array());
}

TEST_F(ServerLsp, LaCoppiaSiCompilaInMemoriaSenzaToccareIlDisco) {
  scrivi_linea_su_disco();
  scrivi(dir_ / "Prova_7-.txt", testo(righe_servizio_prova()));
  inizializza();
  auto righe = righe_linea_prova();
  righe[1] = "lunghezza percorso,    9999999";
  apri(uri_linea_, unisci(righe));
  EXPECT_EQ(diagnostiche(uri_linea_).at(0)["range"]["start"]["line"], 1);

  std::vector<std::string> nomi;
  for (const auto& voce : std::filesystem::directory_iterator(dir_)) nomi.push_back(voce.path().filename().string());
  std::sort(nomi.begin(), nomi.end());
  EXPECT_EQ(nomi, (std::vector<std::string>{"Prova_7-.txt", "Prova_linea.txt"}));
  EXPECT_EQ(leggi(dir_ / "Prova_linea.txt"), testo(righe_linea_prova()));
}

TEST_F(ServerLsp, UnaCoppiaSenzaIlTestoDelServizioHaLaSuaDiagnostica) {
  inizializza();
  apri(uri_linea_, unisci(righe_linea_prova()));
  const json d = diagnostiche(uri_linea_);
  ASSERT_FALSE(d.empty());
  EXPECT_EQ(d[0]["range"]["start"]["line"], 0);
  EXPECT_NE(d[0]["message"].get<std::string>().find("Prova_-.txt"), std::string::npos) << d.dump();
  EXPECT_TRUE(diagnostiche(uri_servizio_).is_null());
}

TEST_F(ServerLsp, ChiaveSbagliataDaUnaCorrezioneRapidaCheLaToglie) {
  scrivi_linea_su_disco();
  inizializza();
  auto righe = righe_servizio_prova();
  righe[13].replace(0, 7, "segnaIe");
  apri(uri_servizio_, unisci(righe));
  const json d = diagnostiche(uri_servizio_);
  ASSERT_EQ(d.size(), 1u) << d.dump();
  EXPECT_EQ(d[0]["severity"], 2);
  EXPECT_EQ(d[0]["range"], json::parse(R"({"start":{"line":13,"character":0},"end":{"line":13,"character":7}})"));

  const json azioni = richiedi("textDocument/codeAction", {{"textDocument", {{"uri", uri_servizio_}}},
                                                           {"range", d[0]["range"]},
                                                           {"context", {{"diagnostics", d}}}})["result"];
  ASSERT_EQ(azioni.size(), 1u) << azioni.dump();
  EXPECT_EQ(azioni[0]["kind"], "quickfix");
  const json modifica = azioni[0]["edit"]["changes"][uri_servizio_][0];
  EXPECT_EQ(modifica["newText"], "segnale");
  EXPECT_EQ(modifica["range"], d[0]["range"]);

  EXPECT_EQ(richiedi("textDocument/codeAction", {{"textDocument", {{"uri", uri_servizio_}}},
                                                 {"range", {{"start", {{"line", 2}, {"character", 0}}}, {"end", {{"line", 2}, {"character", 0}}}}},
                                                 {"context", {{"diagnostics", json::array()}}}})["result"],
            json::array());
}

// What the compile will tell once it knows columns, related places and
// suggestions: the editor must show each where it belongs.
TEST_F(ServerLsp, ColonneNoteCorrelateESuggerimentiDelCompilatore) {
  scrivi_linea_su_disco();
  server_.usa_compilatore([this](const std::string& c, const std::string& l, const std::string& t, const std::optional<std::string>& tl,
                                 const std::optional<std::string>& ts) {
    esito_compilazione e = compila_in_memoria(c, l, t, tl, ts);
    for (diagnostica& d : e.errori) {
      d.correlati.clear();
      d.colonna = 9;
      d.fine_colonna = 17;
      d.id = "segnale-occupato";
      d.correlati.push_back({(dir_ / "Prova_7-.txt").string(), 14, 9, "il segnale già in questa cella"});
      d.suggerimento = "1500";
    }
    if (!e.errori.empty()) {
      diagnostica dopo = e.errori.front();
      dopo.dopo_arresto = true;
      dopo.riga = 16;
      e.errori.push_back(dopo);
    }
    return e;
  });
  inizializza();
  auto righe = righe_servizio_prova();
  righe[14] = righe[13];
  apri(uri_servizio_, unisci(righe));
  const json d = diagnostiche(uri_servizio_).at(0);
  EXPECT_EQ(d["code"], "segnale-occupato");
  EXPECT_EQ(d["range"], json::parse(R"({"start":{"line":14,"character":8},"end":{"line":14,"character":16}})"));
  EXPECT_EQ(diagnostiche(uri_servizio_).at(1)["severity"], 3);  // found after the reading stopped
  const json nota = d["relatedInformation"].at(0);
  EXPECT_EQ(nota["location"]["uri"], uri_servizio_);
  EXPECT_EQ(nota["location"]["range"]["start"], json::parse(R"({"line":13,"character":8})"));
  EXPECT_EQ(nota["message"], "il segnale già in questa cella");

  const json azioni = richiedi("textDocument/codeAction", {{"textDocument", {{"uri", uri_servizio_}}}, {"range", d["range"]},
                                                           {"context", {{"diagnostics", {d}}}}})["result"];
  ASSERT_EQ(azioni.size(), 1u);
  const json modifica = azioni[0]["edit"]["changes"][uri_servizio_][0];
  EXPECT_EQ(modifica["newText"], "1500");
  EXPECT_EQ(modifica["range"], d["range"]);
  cambia(uri_servizio_, unisci(righe_servizio_prova()));
  EXPECT_EQ(diagnostiche(uri_servizio_), json::array());
}

TEST_F(ServerLsp, HoverSullaChiaveESulValore) {
  scrivi_linea_su_disco();
  inizializza();
  apri(uri_servizio_, unisci(righe_servizio_prova()));
  struct caso {
    int riga, carattere;
    std::vector<std::string> attesi;
  } casi[] = {
      {13, 3, {"**segnale**", "| 1 | posizione | m |", "| 11 | tempo | s |"}},
      {13, 12, {"**posizione** (m) = `550`", "cella 12", "tipo 1"}},
      {8, 12, {"km 0.000", "zona -300 .. 300 m", "fermata alla cella 5"}},
      {11, 24, {"**velocità** (km/h) = `30`", "inizio alla cella 51", "fine alla cella 55"}},
  };
  for (const caso& c : casi) {
    const json r = richiedi("textDocument/hover", in_posizione(uri_servizio_, c.riga, c.carattere))["result"];
    const std::string testo = r.at("contents").at("value");
    for (const std::string& a : c.attesi) EXPECT_NE(testo.find(a), std::string::npos) << c.riga << ": " << testo;
  }
  EXPECT_TRUE(richiedi("textDocument/hover", in_posizione(uri_servizio_, 7, 2))["result"].is_null());
}

TEST_F(ServerLsp, CompletamentoDelleChiaviDellaSezioneEDelleIntestazioni) {
  inizializza();
  auto righe = righe_servizio_prova();
  righe.insert(righe.begin() + 14, "");
  apri(uri_servizio_, unisci(righe));
  const json voci = richiedi("textDocument/completion", in_posizione(uri_servizio_, 14, 0))["result"];
  std::vector<std::string> etichette;
  for (const json& v : voci) etichette.push_back(v["label"]);
  EXPECT_EQ(std::count(etichette.begin(), etichette.end(), "segnale"), 1);
  EXPECT_EQ(std::count(etichette.begin(), etichette.end(), "stazione"), 0);
  EXPECT_EQ(std::count(etichette.begin(), etichette.end(), "[stazioni]"), 1);
  for (const json& v : voci) {
    if (v["label"] != "segnale") continue;
    EXPECT_EQ(v["insertText"], "segnale,${1:posizione},${2:sx},${3:s1},${4:s2},${5:s3},${6:rapp},${7:dx},${8:d1},${9:d2},${10:d3},${11:tempo}");
    EXPECT_EQ(v["insertTextFormat"], 2);
  }
  EXPECT_EQ(richiedi("textDocument/completion", in_posizione(uri_servizio_, 13, 10))["result"], json::array());
}

TEST_F(ServerLsp, SimboliPerSezioneConIMetri) {
  inizializza();
  apri(uri_servizio_, unisci(righe_servizio_prova()));
  const json s = richiedi("textDocument/documentSymbol", {{"textDocument", {{"uri", uri_servizio_}}}})["result"];
  std::vector<std::string> nomi;
  for (const json& sezione : s) {
    nomi.push_back(sezione["name"]);
    for (const json& figlio : sezione["children"]) nomi.push_back("  " + figlio["name"].get<std::string>());
  }
  EXPECT_EQ(nomi, (std::vector<std::string>{"[generale]", "[aderenze]", "[vel_limite]", "[stazioni]", "  stazione CASTRELO 0 m",
                                            "  stazione TORVELA 3000 m", "[rallentamenti]", "  rallentamento 2500 m", "[segnali]",
                                            "  segnale 550 m", "  segnale 1500 m", "[fine]"}));
  EXPECT_EQ(s[3]["range"]["end"]["line"], 9);
}

TEST_F(ServerLsp, MessaggiSbagliatiHannoLaRispostaDelProtocolloEIlServerProsegue) {
  struct caso {
    std::string corpo;
    int codice;
  } casi[] = {
      {"{non json", -32700},
      {"", -32700},
      {"[1, 2]", -32600},
      {R"({"jsonrpc":"2.0","id":{"x":1},"method":"shutdown"})", -32600},
      {R"({"jsonrpc":"2.0","id":3,"method":"textDocument/nessuno"})", -32601},
      {R"({"jsonrpc":"2.0","id":4,"method":"textDocument/hover","params":{"textDocument":{}}})", -32602},
  };
  inizializza();
  for (const caso& c : casi) {
    ricevuti_.clear();
    EXPECT_TRUE(server_.gestisci(c.corpo));
    ASSERT_EQ(ricevuti_.size(), 1u) << c.corpo;
    EXPECT_EQ(ricevuti_[0]["error"]["code"], c.codice) << c.corpo;
  }
  ricevuti_.clear();
  EXPECT_TRUE(server_.gestisci(R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":{"uri":"file:///x/A_linea.txt","text":5}}})"));
  ASSERT_EQ(ricevuti_.size(), 1u);
  EXPECT_EQ(ricevuti_[0]["method"], "window/logMessage");
  EXPECT_TRUE(richiedi("shutdown", nullptr)["result"].is_null());
  EXPECT_EQ(richiedi("textDocument/hover", in_posizione(uri_servizio_, 0, 0))["error"]["code"], -32600);
  EXPECT_FALSE(server_.gestisci(R"({"jsonrpc":"2.0","method":"exit"})"));
  EXPECT_EQ(server_.stato_uscita(), 0);
}

TEST(ServerLspFlusso, PrimaDiInitializeLeRichiesteSonoRifiutate) {
  std::istringstream in(inquadra(R"({"jsonrpc":"2.0","id":1,"method":"shutdown"})") + "Content-Type: x\r\n\r\n" +
                        inquadra(R"({"jsonrpc":"2.0","id":2,"method":"initialize","params":{"capabilities":{"general":{"positionEncodings":["utf-8","utf-16"]}}}})") +
                        "Content-Length: 900000000\r\n\r\n{\"jsonrpc\"");  // cut short
  std::ostringstream out;
  EXPECT_EQ(esegui_lsp(in, out), 1);  // the input ended without shutdown
  std::istringstream risposte(out.str());
  std::vector<json> r;
  while (auto corpo = leggi_messaggio(risposte)) r.push_back(json::parse(*corpo));
  ASSERT_EQ(r.size(), 4u) << out.str();
  EXPECT_EQ(r[0]["error"]["code"], -32002);
  EXPECT_EQ(r[1]["error"]["code"], -32700);  // a header without Content-Length
  EXPECT_EQ(r[2]["result"]["capabilities"]["positionEncoding"], "utf-8");
  EXPECT_EQ(r[3]["error"]["code"], -32700);
}

TEST(ColonneLsp, CaratteriWindows1252ContatiComeChiedeIlProtocollo) {
  const std::string riga = utf8_da_cp1252("stazione,\xC0\x80x\xE8");  // À € x è
  struct caso {
    int indice, utf16, utf8;
  } casi[] = {{0, 0, 0}, {9, 9, 9}, {10, 10, 11}, {11, 11, 14}, {12, 12, 15}, {13, 13, 17}};
  for (const caso& c : casi) {
    EXPECT_EQ(colonna_protocollo(riga, c.indice, false), c.utf16) << c.indice;
    EXPECT_EQ(colonna_protocollo(riga, c.indice, true), c.utf8) << c.indice;
    EXPECT_EQ(indice_da_colonna(riga, c.utf16, false), c.indice);
    EXPECT_EQ(indice_da_colonna(riga, c.utf8, true), c.indice);
  }
  // Beyond the BMP one character is two UTF-16 units.
  EXPECT_EQ(colonna_protocollo("a\xF0\x9F\x9A\x82" "b", 2, false), 3);

  std::string tutti;
  for (int b = 1; b < 256; ++b)
    if (b != 0x81 && b != 0x8D && b != 0x8F && b != 0x90 && b != 0x9D) tutti += static_cast<char>(b);
  EXPECT_EQ(cp1252(utf8_da_cp1252(tutti)), tutti);
  EXPECT_EQ(cp1252("\xE2\x82\xAC \xE2\x98\x83"), "\x80 ?");
}

TEST(ChiaviLsp, LaChiaveDiUnCampoEQuellaSimile) {
  EXPECT_EQ(chiave_di_campo("curvas5", testo_descrizione::linea)->chiave, "curvad5");
  EXPECT_EQ(chiave_di_campo("PENDENZA", testo_descrizione::linea)->chiave, "pendenza");
  EXPECT_EQ(chiave_di_campo("progressiva chilometrica UNO", testo_descrizione::linea), nullptr);  // exact case
  EXPECT_EQ(chiave_di_campo("segnale", testo_descrizione::linea), nullptr);
  EXPECT_EQ(chiave_vicina("segnaIe", testo_descrizione::servizio), "segnale");
  EXPECT_EQ(chiave_vicina("numero veture", testo_descrizione::servizio), "numero vetture");
  EXPECT_EQ(chiave_vicina("sgn", testo_descrizione::servizio), std::nullopt);
  EXPECT_EQ(chiave_vicina("  550", testo_descrizione::servizio), std::nullopt);
}

}  // namespace
}  // namespace binario::test
