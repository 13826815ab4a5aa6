#include "sources/chiavi.h"

#include <algorithm>
#include <array>
#include <vector>

#include "sources/campi.h"

namespace binario {

namespace {

using c = campo_chiave;
constexpr int64_t kLong = 2147483647;
constexpr int64_t kInteger = 32767;

constexpr std::array<c, 1> kLunghezza = {{{"lunghezza della linea", "m", "intero", 0, 1000000}}};
constexpr std::array<c, 3> kProgressiva = {{{"inizio", "m", "intero, multiplo di 50", -kLong - 1, kLong},
                                            {"fine", "m", "intero, multiplo di 50", -kLong - 1, kLong},
                                            {"chilometri", "", "intero", -kLong - 1, kLong}}};
constexpr std::array<c, 1> kSfondo = {{{"valore", "", "intero", -kLong - 1, kLong}}};
constexpr std::array<c, 2> kRipetizione = {{{"inizio", "m", "intero, multiplo di 50", -kLong - 1, kLong},
                                            {"fine", "m", "intero, multiplo di 50", -kLong - 1, kLong}}};
constexpr std::array<c, 2> kCurva = {{{"inizio", "m", "intero", 0, 1000000}, {"lunghezza", "m", "intero", 0, 1000000}}};
constexpr std::array<c, 2> kPendenza = {{{"posizione", "m", "intero", 0, kLong}, {"pendenza", "‰", "intero", -100, 155}}};
constexpr std::array<c, 3> kMontagna = {
    {{"inizio", "m", "intero", 0, kLong}, {"fine", "m", "intero", 0, kLong}, {"tipo", "", "intero", 0, 265}}};
constexpr std::array<c, 9> kIndicatori = {{{"posizione", "m", "intero", 0, kLong},
                                           {"prima velocità a sinistra", "km/h", "intero", 0, kInteger},
                                           {"seconda velocità a sinistra", "km/h", "intero", 0, kInteger},
                                           {"terza velocità a sinistra", "km/h", "intero", 0, kInteger},
                                           {"strisce a sinistra", "", "intero", -kLong - 1, kLong},
                                           {"prima velocità a destra", "km/h", "intero", 0, kInteger},
                                           {"seconda velocità a destra", "km/h", "intero", 0, kInteger},
                                           {"terza velocità a destra", "km/h", "intero", 0, kInteger},
                                           {"strisce a destra", "", "intero", -kLong - 1, kLong}}};
constexpr std::array<c, 2> kCartello = {
    {{"posizione", "m", "intero", 0, kLong}, {"testo", "", "testo tra virgolette", 0, 65535}}};
constexpr std::array<c, 1> kIntero = {{{"valore", "", "intero", -kLong - 1, kLong}}};
constexpr std::array<c, 1> kSabbia = {{{"valore", "", "intero", -kInteger - 1, kInteger}}};
constexpr std::array<c, 3> kOrologio = {{{"ore", "h", "intero", 0, kInteger},
                                         {"minuti", "min", "intero", 0, 59},
                                         {"secondi", "s", "intero", 0, 59}}};
constexpr std::array<c, 2> kProfilo = {{{"posizione", "m", "intero", 0, kLong}, {"valore", "", "intero", 0, 255}}};
constexpr std::array<c, 2> kVelocita = {{{"posizione", "m", "intero", 0, kLong}, {"velocità", "km/h", "intero", 0, 1277}}};
constexpr std::array<c, 17> kStazione = {{{"posizione", "m", "intero, multiplo di 50", 0, kLong},
                                          {"tipo", "", "intero da un byte", 0, 255},
                                          {"lunghezza della zona", "m", "intero, multiplo di 100", 0, kLong},
                                          {"colonna 4", "", "intero da un byte", 0, 255},
                                          {"colonna 5", "", "intero da un byte", 0, 255},
                                          {"colonna 6", "", "intero da un byte", 0, 255},
                                          {"colonna 7", "", "intero", -kInteger - 1, kInteger},
                                          {"colonna 8", "", "intero", -kInteger - 1, kInteger},
                                          {"colonna 9", "", "intero da un byte", 0, 255},
                                          {"colonna 10", "", "intero", -kInteger - 1, kInteger},
                                          {"colonna 11", "", "intero", -kInteger - 1, kInteger},
                                          {"colonna 12", "", "intero", -kInteger - 1, kInteger},
                                          {"colonna 13", "", "intero da un byte", 0, 255},
                                          {"ore", "h", "intero", 0, kInteger},
                                          {"minuti", "min", "intero", 0, 59},
                                          {"secondi", "s", "intero", 0, 59},
                                          {"nome", "", "testo", 0, 65535}}};
constexpr std::array<c, 6> kRallentamento = {{{"inizio", "m", "intero", 0, kLong},
                                              {"velocità", "km/h", "intero", 0, kInteger},
                                              {"lunghezza", "m", "intero", 0, kLong},
                                              {"f_tt", "", "intero", -kInteger - 1, kInteger},
                                              {"f_ta (0: nessun blocco prima dell'avviso)", "", "intero", -kLong - 1, kLong},
                                              {"d_v", "", "intero", -kInteger - 1, kInteger}}};
constexpr std::array<c, 11> kSegnale = {{{"posizione", "m", "intero", 0, kLong},
                                         {"sx", "", "intero", -kLong - 1, kLong},
                                         {"s1", "", "intero", -kLong - 1, kLong},
                                         {"s2", "", "intero", -kLong - 1, kLong},
                                         {"s3", "", "intero", -kLong - 1, kLong},
                                         {"rapp", "", "intero", -kLong - 1, kLong},
                                         {"dx", "", "intero", -kLong - 1, kLong},
                                         {"d1", "", "intero", -kLong - 1, kLong},
                                         {"d2", "", "intero", -kLong - 1, kLong},
                                         {"d3", "", "intero", -kLong - 1, kLong},
                                         {"tempo", "s", "intero", 0, 255}}};
constexpr std::array<c, 2> kAbbattimento = {
    {{"posizione", "m", "intero", 0, kLong}, {"valore (0: senza codice)", "", "intero", 0, 65535}}};

constexpr testo_descrizione L = testo_descrizione::linea;
constexpr testo_descrizione S = testo_descrizione::servizio;

const std::array<voce_chiave, 24> kChiavi = {{
    {"lunghezza percorso", L, "[generale]", "la lunghezza della linea", kLunghezza},
    {"progressiva chilometrica uno", L, "[generale]", "il primo riferimento chilometrico", kProgressiva},
    {"progressiva chilometrica due", L, "[generale]", "il secondo riferimento chilometrico", kProgressiva},
    {"progressiva chilometrica tre", L, "[generale]", "il terzo riferimento chilometrico", kProgressiva},
    {"sfondo uno", L, "[generale]", "il primo valore dello sfondo", kSfondo},
    {"sfondo due", L, "[generale]", "il secondo valore dello sfondo", kSfondo},
    {"sfondo tre", L, "[generale]", "il terzo valore dello sfondo", kSfondo},
    {"ripetizione segnali 4 codici", L, "[generale]",
     "il tratto con la ripetizione dei segnali in cabina; la chiave dice 4 o 9 codici", kRipetizione},
    {"curvad5", L, "[curve]",
     "una curva: \"d\" a destra, \"s\" a sinistra, poi la curvatura da 1 (larga) a 6 (stretta)", kCurva},
    {"pendenza", L, "[pendenze]", "la pendenza dalla posizione in avanti, in millesimi", kPendenza},
    {"montagna", L, "[montagne]", "un tratto di montagna nel paesaggio (tipo oltre 10: con segni)", kMontagna},
    {"indicatori_vmax", L, "[cartelli]", "gli indicatori di velocità massima", kIndicatori},
    {"cartello_indicatore", L, "[indicazioni]", "un cartello indicatore con il suo testo", kCartello},
    {"numero vetture", S, "[generale]", "le vetture del treno", kIntero},
    {"percentuale massa frenata", S, "[generale]", "la percentuale di massa frenata", kIntero},
    {"sabbia", S, "[generale]", "la sabbia a bordo", kSabbia},
    {"orologio", S, "[generale]", "l'ora d'inizio della corsa", kOrologio},
    {"aderenza", S, "[aderenze]", "l'aderenza dalla posizione in avanti", kProfilo},
    {"velocita", S, "[vel_limite]", "la velocità massima dalla posizione in avanti", kVelocita},
    {"stazione", S, "[stazioni]", "una stazione o una fermata, con l'orario e il nome", kStazione},
    {"rallentamento", S, "[rallentamenti]", "un rallentamento con il suo avviso", kRallentamento},
    {"segnale", S, "[segnali]", "un segnale con i suoi aspetti", kSegnale},
    {"abbattimento", S, "[codici]", "un punto di cambio codice", kAbbattimento},
    {"curvas5", L, "[curve]", "una curva a sinistra (vedi curvad5)", kCurva},
}};

constexpr std::array<std::string_view, 7> kSezioniLinea = {"[generale]", "[curve]",       "[pendenze]", "[montagne]",
                                                           "[cartelli]",  "[indicazioni]", "[fine]"};
constexpr std::array<std::string_view, 8> kSezioniServizio = {
    "[generale]", "[aderenze]", "[vel_limite]", "[stazioni]", "[rallentamenti]", "[segnali]", "[codici]", "[fine]"};

// The words the reader looks for in a first field, in the reader's order.
struct termini {
  std::string_view a, b;
  bool esatto;
  std::string_view chiave;
};
constexpr std::array<termini, 23> kTermini = {{
    {"lunghezza", "percorso", false, "lunghezza percorso"},
    {"progressiva", "tre", true, "progressiva chilometrica tre"},
    {"progressiva", "due", true, "progressiva chilometrica due"},
    {"progressiva", "uno", true, "progressiva chilometrica uno"},
    {"sfondo", "uno", true, "sfondo uno"},
    {"sfondo", "due", true, "sfondo due"},
    {"sfondo", "tre", true, "sfondo tre"},
    {"ripetizione", "segnali", true, "ripetizione segnali 4 codici"},
    {"pendenza", "", false, "pendenza"},
    {"curva", "", false, "curvad5"},
    {"montagna", "", false, "montagna"},
    {"indicatori_v", "", false, "indicatori_vmax"},
    {"cartello", "indicat", false, "cartello_indicatore"},
    {"frenata", "massa", false, "percentuale massa frenata"},
    {"vetture", "", false, "numero vetture"},
    {"velocit", "", false, "velocita"},
    {"aderenza", "", false, "aderenza"},
    {"orologio", "", false, "orologio"},
    {"sabbia", "", false, "sabbia"},
    {"segnale", "", false, "segnale"},
    {"rallentamento", "", false, "rallentamento"},
    {"abbattimento", "", false, "abbattimento"},
    {"stazione", "", false, "stazione"},
}};

std::string_view spoglia(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

constexpr char minuscola(char x) { return (x >= 'A' && x <= 'Z') ? static_cast<char>(x - 'A' + 'a') : x; }

bool uguali(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (minuscola(a[i]) != minuscola(b[i])) return false;
  return true;
}

}  // namespace

std::span<const voce_chiave> tabella_chiavi() { return kChiavi; }

std::span<const std::string_view> sezioni_di(testo_descrizione t) {
  if (t == testo_descrizione::linea) return kSezioniLinea;
  return kSezioniServizio;
}

const voce_chiave* chiave_per_nome(std::string_view nome) {
  nome = spoglia(nome);
  for (const voce_chiave& v : kChiavi)
    if (uguali(v.chiave, nome)) return &v;
  return nullptr;
}

namespace {

// The entry each of the reader's terms stands for, looked up once: the
// reader asks for every key line of a text, a million-metre line has
// thousands of them, and the lookup by name compares every key.
const std::array<const voce_chiave*, kTermini.size()>& voci_dei_termini() {
  static const std::array<const voce_chiave*, kTermini.size()> voci = [] {
    std::array<const voce_chiave*, kTermini.size()> v{};
    for (size_t i = 0; i < kTermini.size(); ++i) v[i] = chiave_per_nome(kTermini[i].chiave);
    return v;
  }();
  return voci;
}

// The letters a text holds, a bit each, either form alike. A field that
// lacks one of a term's letters cannot contain the term: most terms are
// ruled out so, without a search.
constexpr uint32_t lettere(std::string_view s) {
  uint32_t m = 0;
  for (char x : s) {
    const char l = minuscola(x);
    if (l >= 'a' && l <= 'z') m |= uint32_t{1} << (l - 'a');
  }
  return m;
}

constexpr std::array<uint32_t, kTermini.size()> kLettereDeiTermini = [] {
  std::array<uint32_t, kTermini.size()> m{};
  for (size_t i = 0; i < kTermini.size(); ++i) m[i] = lettere(kTermini[i].a) | lettere(kTermini[i].b);
  return m;
}();

}  // namespace

const voce_chiave* chiave_di_campo(std::string_view campo, testo_descrizione t) {
  const auto& voci = voci_dei_termini();
  const uint32_t nel_campo = lettere(campo);
  for (size_t i = 0; i < kTermini.size(); ++i) {
    const termini& k = kTermini[i];
    const voce_chiave* v = voci[i];
    if (v == nullptr || v->testo != t) continue;
    if ((kLettereDeiTermini[i] & nel_campo) != kLettereDeiTermini[i]) continue;
    const confronto modo = k.esatto ? confronto::esatto : confronto::qualsiasi_maiuscola;
    if (contiene(campo, k.a, modo) && contiene(campo, k.b, modo)) return v;
  }
  return nullptr;
}

const campo_chiave* campo_di(const voce_chiave& v, int indice) {
  if (indice < 1 || static_cast<size_t>(indice) > v.campi.size()) return nullptr;
  return &v.campi[static_cast<size_t>(indice - 1)];
}

size_t distanza(std::string_view a, std::string_view b) {
  // Words compared are short; a longer one is no slip of a key.
  if (b.size() > 64 || a.size() > 64) return std::max(a.size(), b.size());
  std::array<size_t, 65> riga{};
  for (size_t j = 0; j <= b.size(); ++j) riga[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonale = riga[0];
    riga[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t sopra = riga[j];
      const size_t costo = minuscola(a[i - 1]) == minuscola(b[j - 1]) ? 0 : 1;
      riga[j] = std::min({riga[j] + 1, riga[j - 1] + 1, diagonale + costo});
      diagonale = sopra;
    }
  }
  return riga[b.size()];
}

std::optional<std::string> piu_vicino(std::string_view parola, std::span<const std::string> candidati) {
  parola = spoglia(parola);
  // Beyond a third of the word it is another word, not a slip.
  const size_t soglia = std::max<size_t>(1, parola.size() / 3);
  std::optional<std::string> meglio;
  size_t d_meglio = soglia + 1;
  for (const std::string& c : candidati) {
    if (parola.size() > 64 || c.size() > 64) continue;
    const size_t d = distanza(parola, c);
    if (d < d_meglio) {
      d_meglio = d;
      meglio = c;
    }
  }
  return meglio;
}

std::string intervallo_di(const campo_chiave& c) {
  if (c.tipo.find("testo") != std::string_view::npos) return "";
  return "da " + std::to_string(c.minimo) + " a " + std::to_string(c.massimo);
}

std::optional<std::string> chiave_vicina(std::string_view campo, testo_descrizione t) {
  std::vector<std::string> nomi;
  for (const voce_chiave& k : tabella_chiavi())
    if (k.testo == t) nomi.emplace_back(k.chiave);
  return piu_vicino(campo, nomi);
}

}  // namespace binario
