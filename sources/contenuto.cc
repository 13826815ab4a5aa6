// The two description texts of the built-in scenario, formatted from the
// tables of sources/scenario.h. The reader skips blanks around numbers, but
// the blanks of a board's text end up on the board itself and the clock's
// numbers are separated by blanks alone, so every layout below is fixed.
#include <cstddef>
#include <string>
#include <string_view>

#include "app/form1.h"
#include "base/nomi_file.h"
#include "sources/scenario.h"

namespace binario {

namespace {

// One line: a key followed by its values, each after a comma.
class Riga {
 public:
  explicit Riga(std::string_view chiave) : testo_(chiave) {}

  // A value after a fixed run of blanks; an empty value leaves the blanks alone.
  Riga& spaziato(int spazi, std::string_view valore) {
    testo_ += ',';
    testo_.append(static_cast<std::size_t>(spazi), ' ');
    testo_ += valore;
    return *this;
  }
  Riga& spaziato(int spazi, int32_t valore) { return spaziato(spazi, std::to_string(valore)); }

  // A value right-aligned in a field of `larghezza` characters.
  Riga& allineato(int larghezza, int32_t valore) {
    testo_ += ',';
    testo_ += a_destra(larghezza, valore);
    return *this;
  }

  static std::string a_destra(int larghezza, int32_t valore) {
    std::string t = std::to_string(valore);
    const auto l = static_cast<std::size_t>(larghezza);
    if (t.size() < l) t.insert(0, l - t.size(), ' ');
    return t;
  }

  const std::string& str() const { return testo_; }

 private:
  std::string testo_;
};

// Fills a line table from index 0 and closes it with the end marker. The
// table is the caller's: a second one of 1,001 lines to move it into would
// be 32 KB more of fresh stack.
class Righe {
 public:
  explicit Righe(tabella_righe& righe) : righe_(righe) {}
  void operator+=(std::string riga) { righe_.at(n_++) = std::move(riga); }
  void operator+=(const Riga& riga) { *this += riga.str(); }
  void chiudi() { righe_.at(n_) = std::string(kFineRighe); }

 private:
  tabella_righe& righe_;
  std::size_t n_ = 0;
};

std::string riga_cartello(std::string_view testo, int prima, int dopo) {
  std::string r = "(";
  r.append(static_cast<std::size_t>(prima), ' ');
  r += testo;
  r.append(static_cast<std::size_t>(dopo), ' ');
  r += ')';
  return r;
}

// 26174 m is "26.174".
std::string chilometri(int32_t metri) {
  std::string m = std::to_string(metri % 1000);
  m.insert(0, 3 - m.size(), '0');
  return std::to_string(metri / 1000) + "." + m;
}

std::string testo_cartello(const scenario::cartello& c) {
  return riga_cartello(c.prima.testo, c.prima.prima, c.prima.dopo) +
         riga_cartello(c.seconda.testo, c.seconda.prima, c.seconda.dopo) +
         riga_cartello(chilometri(c.posizione), c.km_prima, c.km_dopo);
}

void generale_linea(Righe& r) {
  using namespace scenario;
  r += "[generale]";
  r += Riga("lunghezza percorso").spaziato(4, kLunghezzaPercorso);
  static constexpr std::string_view kNumeri[] = {"uno", "due", "tre"};
  for (std::size_t i = 0; i < kProgressive.size(); ++i) {
    r += Riga(std::string("progressiva chilometrica ") + std::string(kNumeri[i]))
             .spaziato(4, kProgressive[i].primo)
             .spaziato(4, kProgressive[i].secondo)
             .spaziato(4, kProgressive[i].terzo);
  }
  for (std::size_t i = 0; i < kSfondi.size(); ++i)
    r += Riga(std::string("sfondo ") + std::string(kNumeri[i])).spaziato(4, kSfondi[i]);
  // The reader takes the number of signal codes from the "4" in the key.
  r += "ripetizione segnali 4 codici,    0    ,0";
}

void sezioni_linea(Righe& r) {
  using namespace scenario;
  r += "[curve]";
  for (const curva& c : kCurve)
    r += Riga(std::string("curva") + c.lato + std::to_string(c.curvatura)).spaziato(2, c.inizio).spaziato(2, c.lunghezza);
  r += "[pendenze]";
  for (const pendenza& p : kPendenze) r += Riga("pendenza").spaziato(2, p.posizione).spaziato(3, p.valore);
  r += "[montagne]";
  for (const montagna& m : kMontagne) r += Riga("montagna").spaziato(3, m.inizio).spaziato(2, m.fine).spaziato(2, m.tipo);
  r += "[cartelli]";
  for (const indicatori_v_max& v : kIndicatoriVMax) {
    Riga riga("indicatori_vmax");
    riga.spaziato(2, v.posizione);
    for (const auto& s : v.velocita_sinistra) riga.spaziato(2, s ? std::to_string(*s) : "");
    riga.spaziato(2, v.strisce_sinistra);
    for (const auto& s : v.velocita_destra) riga.spaziato(2, s ? std::to_string(*s) : "");
    riga.spaziato(2, v.strisce_destra);
    r += std::move(riga);
  }
  r += "[indicazioni]";
  for (const cartello& c : kCartelli) r += Riga("cartello_indicatore").spaziato(2, c.posizione).spaziato(3, testo_cartello(c));
  r += "[fine]";
}

void generale_treno(Righe& r) {
  using namespace scenario;
  r += "[generale]";
  r += Riga("numero vetture").spaziato(4, kNumeroVetture);
  r += Riga("percentuale massa frenata").spaziato(4, kMassaFrenata);
  r += Riga("sabbia").spaziato(4, kSabbia);
  // Blanks alone separate the clock's three numbers.
  r += "orologio," + Riga::a_destra(6, kOrologio.ore) + Riga::a_destra(16, kOrologio.minuti) +
       Riga::a_destra(14, kOrologio.secondi) + " ";
}

std::string riga_stazione(const scenario::stazione& s) {
  static constexpr int kLarghezze[10] = {3, 2, 2, 3, 1, 1, 3, 1, 1, 5};  // columns 4 to 13
  Riga riga("stazione");
  riga.allineato(8, s.posizione).allineato(3, s.tipo).allineato(5, s.zona);
  for (std::size_t k = 0; k < s.colonne.size(); ++k) riga.allineato(kLarghezze[k], s.colonne[k]);
  riga.allineato(4, s.orario.ore).allineato(2, s.orario.minuti).allineato(2, s.orario.secondi);
  riga.spaziato(1, s.nome);
  return riga.str();
}

std::string riga_segnale(const scenario::segnale& s) {
  return Riga("segnale")
      .allineato(8, s.posizione)
      .allineato(4, s.sx)
      .allineato(2, s.s1)
      .allineato(2, s.s2)
      .allineato(3, s.s3)
      .allineato(2, s.rapp)
      .allineato(5, s.dx)
      .allineato(3, s.d1)
      .allineato(1, s.d2)
      .allineato(1, s.d3)
      .spaziato(1, s.tempo)
      .str();
}

void sezioni_treno(Righe& r) {
  using namespace scenario;
  r += "[aderenze]";
  for (const profilo& a : kAderenze) r += Riga("aderenza").spaziato(3, a.posizione).spaziato(4, a.valore);
  r += "[vel_limite]";
  for (const profilo& v : kVelocitaLimite) r += Riga("velocita").allineato(8, v.posizione).allineato(6, v.valore);
  r += "[stazioni]";
  for (const stazione& s : kStazioni) r += riga_stazione(s);
  r += "[rallentamenti]";
  for (const rallentamento& x : kRallentamenti) {
    r += Riga("rallentamento")
             .allineato(8, x.inizio)
             .allineato(6, x.velocita)
             .allineato(5, x.lunghezza)
             .allineato(2, x.f_tt)
             .allineato(3, x.f_ta)
             .allineato(3, x.d_v);
  }
  r += "[segnali]";
  for (const segnale& s : kSegnali) r += riga_segnale(s);
  r += "[codici]";
  r += "[fine]";
}

}  // namespace

tabella_righe Form1::righe_linea() {
  tabella_righe t;
  Righe r(t);
  generale_linea(r);
  sezioni_linea(r);
  r.chiudi();
  return t;
}

tabella_righe Form1::righe_treno() {
  tabella_righe t;
  Righe r(t);
  generale_treno(r);
  sezioni_treno(r);
  r.chiudi();
  return t;
}

Status Form1::dati_linea() { return scrivi_file_testo(fs, righe_linea(), percorso(nome_descrizione_linea(nome_linea))); }
Status Form1::dati_treno() {
  return scrivi_file_testo(fs, righe_treno(), percorso(nome_descrizione_servizio(nome_linea, numero_treno)));
}

}  // namespace binario
