#include "tools/lsp_chiavi.h"

#include <algorithm>
#include <cctype>

namespace binario {

namespace {

using T = testo_descrizione;

constexpr std::string_view kGriglia = "entro la griglia: (P + 100) / 50 <= celle della linea";
constexpr std::string_view kPosizione = "m";

std::vector<campo_chiave> progressiva() {
  return {{"inizio", "m", "multiplo di 50"}, {"fine", "m", "multiplo di 50"}, {"posizione", "m", ""}};
}

std::vector<chiave_descrizione> costruisci() {
  std::vector<chiave_descrizione> t = {
      {"lunghezza percorso", "[generale]", T::linea, "lunghezza della linea; la griglia ha una cella ogni 50 m fino a 7000 m oltre la fine",
       {{"lunghezza", "m", "0 .. 1000000"}}, {"lunghezza", "percorso"}},
      {"progressiva chilometrica uno", "[generale]", T::linea, "riferimento chilometrico (ordinato con gli altri due)", progressiva(), {"progressiva", "uno"}, true},
      {"progressiva chilometrica due", "[generale]", T::linea, "riferimento chilometrico (ordinato con gli altri due)", progressiva(), {"progressiva", "due"}, true},
      {"progressiva chilometrica tre", "[generale]", T::linea, "riferimento chilometrico (ordinato con gli altri due)", progressiva(), {"progressiva", "tre"}, true},
      {"sfondo uno", "[generale]", T::linea, "primo valore dello sfondo", {{"valore", "", ""}}, {"sfondo", "uno"}, true},
      {"sfondo due", "[generale]", T::linea, "secondo valore dello sfondo", {{"valore", "", ""}}, {"sfondo", "due"}, true},
      {"sfondo tre", "[generale]", T::linea, "terzo valore dello sfondo", {{"valore", "", ""}}, {"sfondo", "tre"}, true},
      {"ripetizione segnali 4 codici", "[generale]", T::linea, "tratto con ripetizione dei segnali in cabina; la cifra 4 o 9 nella chiave dà i codici",
       {{"inizio", "m", "multiplo di 50"}, {"fine", "m", "multiplo di 50; 0 = nessuna ripetizione"}}, {"ripetizione", "segnali"}, true},
      {"pendenza", "[pendenze]", T::linea, "pendenza in vigore da una posizione in poi",
       {{"posizione", kPosizione, kGriglia}, {"pendenza", "per mille", "-100 .. 155, con segno"}}, {"pendenza"}},
      {"curvad", "[curve]", T::linea, "curva a destra (curvas: a sinistra); la cifra 1..6 dopo la lettera dà la curvatura",
       {{"inizio", kPosizione, kGriglia}, {"lunghezza", "m", ">= 0"}}, {"curva"}},
      {"montagna", "[montagne]", T::linea, "tratto di montagna",
       {{"inizio", kPosizione, kGriglia}, {"fine", "m", ""}, {"tipo", "", ""}}, {"montagna"}},
      {"indicatori_vmax", "[cartelli]", T::linea, "coppia di indicatori di velocità massima",
       {{"posizione", kPosizione, kGriglia}, {"vas", "km/h", ""}, {"vbs", "km/h", ""}, {"vcs", "km/h", ""}, {"strisces", "", ""},
        {"vad", "km/h", ""}, {"vbd", "km/h", ""}, {"vcd", "km/h", ""}, {"strisced", "", ""}},
       {"indicatori_v"}},
      {"cartello_indicatore", "[indicazioni]", T::linea, "cartello indicatore: tre righe tra parentesi",
       {{"posizione", kPosizione, kGriglia}, {"testo", "", "(riga uno)(riga due)(chilometro), fino alla fine della riga"}},
       {"cartello", "indicat"}},
      {"percentuale massa frenata", "[generale]", T::servizio, "percentuale di massa frenata del treno",
       {{"percentuale", "%", ""}}, {"frenata", "massa"}},
      {"numero vetture", "[generale]", T::servizio, "numero di vetture del treno", {{"vetture", "", ""}}, {"vetture"}},
      {"velocita", "[vel_limite]", T::servizio, "velocità massima della linea da una posizione in poi",
       {{"posizione", kPosizione, kGriglia}, {"velocità", "km/h", "0 .. 1277 (si conserva in unità di 5 km/h)"}}, {"velocit"}},
      {"aderenza", "[aderenze]", T::servizio, "aderenza da una posizione in poi",
       {{"posizione", kPosizione, kGriglia}, {"aderenza", "", "0 .. 255"}}, {"aderenza"}},
      {"orologio", "[generale]", T::servizio, "ora di partenza; i tre numeri separati da spazi",
       {{"ore", "h", "0 .. 23"}, {"minuti", "min", "0 .. 59"}, {"secondi", "s", "0 .. 59"}}, {"orologio"}},
      {"sabbia", "[generale]", T::servizio, "scorta di sabbia", {{"sabbia", "", "-32768 .. 32767"}}, {"sabbia"}},
      {"segnale", "[segnali]", T::servizio, "segnale luminoso",
       {{"posizione", kPosizione, kGriglia}, {"sx", "", "tipo del segnale a sinistra; 2 usa il tempo"}, {"s1", "", ""}, {"s2", "", ""},
        {"s3", "", ""}, {"rapp", "", ""}, {"dx", "", ""}, {"d1", "", ""}, {"d2", "", ""}, {"d3", "", ""},
        {"tempo", "s", "1 .. 100 diventa 101"}},
       {"segnale"}},
      {"rallentamento", "[rallentamenti]", T::servizio, "rallentamento temporaneo con i suoi cartelli",
       {{"x", kPosizione, kGriglia}, {"v", "km/h", ""}, {"l", "m", ""}, {"f_tt", "", ""}, {"f_ta", "", "diverso da 0: cartello di avviso"}, {"d_v", "", ""}},
       {"rallentamento"}},
      {"abbattimento", "[codici]", T::servizio, "punto di cambio codice",
       {{"posizione", kPosizione, kGriglia}, {"codice", "", "0 = senza valore"}}, {"abbattimento"}},
      {"stazione", "[stazioni]", T::servizio, "stazione con il suo orario",
       {{"posizione", kPosizione, "multiplo di 50; (P + 800) / 50 <= celle della linea"}, {"tipo", "", "0 .. 255; 5..8 zone speciali, da 25 nessuna fermata"},
        {"zona", "m", "multiplo di 100"}, {"colonna 4", "", "0 .. 255"}, {"colonna 5", "", "0 .. 255"}, {"colonna 6", "", "0 .. 255; non 0 allunga la zona di 50 m"},
        {"colonna 7", "", "-32768 .. 32767"}, {"colonna 8", "", "-32768 .. 32767"}, {"colonna 9", "", "0 .. 255"},
        {"colonna 10", "", "-32768 .. 32767"}, {"colonna 11", "", "-32768 .. 32767"}, {"colonna 12", "", "-32768 .. 32767"},
        {"colonna 13", "", "0 .. 255"}, {"ore", "h", ""}, {"minuti", "min", ""}, {"secondi", "s", ""}, {"nome", "", "il resto della riga, in maiuscole"}},
       {"stazione"}},
  };
  return t;
}

std::string minuscolo(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return r;
}

size_t distanza(std::string_view a, std::string_view b) {
  std::vector<size_t> riga(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) riga[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonale = riga[0];
    riga[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t sopra = riga[j];
      riga[j] = std::min({riga[j] + 1, riga[j - 1] + 1, diagonale + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonale = sopra;
    }
  }
  return riga[b.size()];
}

std::string_view senza_spazi(std::string_view s) {
  const size_t inizio = s.find_first_not_of(" \t");
  if (inizio == std::string_view::npos) return {};
  return s.substr(inizio, s.find_last_not_of(" \t") + 1 - inizio);
}

}  // namespace

const std::vector<chiave_descrizione>& tabella_chiavi() {
  static const std::vector<chiave_descrizione> tabella = costruisci();
  return tabella;
}

const std::vector<std::string_view>& sezioni_di(testo_descrizione t) {
  static const std::vector<std::string_view> linea = {"[generale]", "[curve]", "[pendenze]", "[montagne]", "[cartelli]", "[indicazioni]", "[fine]"};
  static const std::vector<std::string_view> servizio = {"[generale]", "[aderenze]", "[vel_limite]", "[stazioni]", "[rallentamenti]", "[segnali]", "[codici]", "[fine]"};
  return t == T::linea ? linea : servizio;
}

const chiave_descrizione* chiave_di(std::string_view primo_campo, testo_descrizione t) {
  const std::string basso = minuscolo(primo_campo);
  for (const chiave_descrizione& k : tabella_chiavi()) {
    if (k.testo != t) continue;
    const bool tutte = std::all_of(k.sottostringhe.begin(), k.sottostringhe.end(), [&](std::string_view s) {
      return k.caso_esatto ? primo_campo.find(s) != std::string_view::npos : basso.find(s) != std::string::npos;
    });
    if (tutte) return &k;
  }
  return nullptr;
}

std::optional<std::string> chiave_simile(std::string_view campo, testo_descrizione t) {
  const std::string cercato = minuscolo(senza_spazi(campo));
  if (cercato.empty() || cercato.find_first_not_of("+-0123456789. ") == std::string::npos) return std::nullopt;
  const chiave_descrizione* migliore = nullptr;
  size_t minima = 0;
  for (const chiave_descrizione& k : tabella_chiavi()) {
    if (k.testo != t) continue;
    const size_t d = distanza(cercato, k.chiave);
    if (migliore == nullptr || d < minima) {
      migliore = &k;
      minima = d;
    }
  }
  // Two edits are a typo; more than a third of the key is another word.
  if (migliore == nullptr || minima == 0 || minima > 2 || minima * 3 > migliore->chiave.size()) return std::nullopt;
  return std::string(migliore->chiave);
}

}  // namespace binario
