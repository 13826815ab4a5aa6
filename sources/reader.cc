// The description reader: the line description file, then (servizio.cc)
// the service description file.
#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "app/form1.h"
#include "base/nomi_file.h"
#include "base/arrotonda.h"
#include "base/memoria.h"
#include "base/testo.h"
#include "sources/campi.h"
#include "sources/chiavi.h"
#include "sources/reader_internal.h"

namespace binario {
namespace lettura {

lettore_campi apri(Form1& f, const std::string& percorso) {
  std::shared_ptr<const std::string> testo;
  if (Status s = f.fs.read_file_shared(percorso, &testo); !s.is_ok()) {
    if (s.numero() == kErroreFileNonTrovato)
      throw guasto_in_lettura("file-mancante", "il file del servizio non esiste: crealo accanto al file della linea (\"binario "
                                               "export\" scrive un modello da cui partire)");
    throw guasto_in_lettura("file-illeggibile", s.to_string());
  }
  return lettore_campi(std::move(testo));
}

void elimina(Form1& f, const std::string& percorso) {
  if (Status s = f.fs.remove_file(percorso); !s.is_ok()) throw guasto_imprevisto(s.to_string());
}

void interrompi(Form1& f, const std::string& percorso, int32_t codice, std::optional<int32_t> posizione) {
  elimina(f, percorso);
  f.imposta_errore(codice);
  if (posizione) f.imposta_posizione(*posizione);
  f.lettura_interrotta = true;
  f.errori.back().interrompe = true;
}

void dettaglia(Form1& f, const lettore_campi& campi, size_t indice) {
  if (f.errori.empty()) return;
  const lettore_campi::posizione_campo& p = campi.campo(indice);
  if (p.riga == 0) return;
  f.errori.back().campo = campo_sorgente{p.riga, p.colonna, p.fine_colonna, static_cast<int>(indice), p.testo};
}

bool entro_griglia(Form1& f, const lettore_campi& campi, int32_t p, int32_t margine) {
  if (static_cast<double>(f.numero_celle) >= (static_cast<double>(p) + margine) / 50.0) return true;
  f.imposta_errore(15);
  f.imposta_posizione(p);
  f.errori.back().interrompe = true;
  dettaglia(f, campi, 1);
  return false;
}

esito fuori_tabella(Form1& f, int32_t p) {
  f.imposta_errore(15);
  f.imposta_posizione(p);
  f.errori.back().interrompe = true;
  return esito::fine_lettura;
}

bool errore_dopo_posa(Form1& f, const lettore_campi& campi, const std::string& percorso, int32_t posizione) {
  if (f.codice_errore <= 0) return false;
  // A code left by an earlier line (an error 15 of the line description)
  // ends the reading here as well: record the stop at this line, naming the
  // earlier error, so that it keeps its own metre in the list.
  const size_t prima = f.errori.size();
  const bool di_questa_posa = f.errori_alla_posa < prima;
  if (!di_questa_posa) {
    f.imposta_errore(f.codice_errore);
    if (prima > 0) f.errori.back().causa = prima - 1;
  }
  f.errori.back().interrompe = true;
  // The placement knows the cell, the line knows where its position is written.
  if (!f.errori.back().campo) dettaglia(f, campi, 1);
  elimina(f, percorso);
  f.imposta_posizione(posizione);
  f.lettura_interrotta = true;
  return true;
}

bool prossima_chiave(Form1& f, lettore_campi& campi) {
  if (campi.fine()) return false;
  campi.segna();
  f.riga_corrente = campi.leggi_testo();
  if (campi.fine()) return false;
  for (int i = 0; i < 2 && contiene(f.riga_corrente, "-", kQualsiasi); ++i) {
    campi.segna();
    f.riga_corrente = campi.leggi_testo();
    if (campi.fine()) return false;
  }
  f.riga_sorgente = campi.riga_campo();
  return true;
}

void avvisa_se_sconosciuta(Form1& f, const lettore_campi& campi, const std::string& campo, int riga) {
  // A blank line reads as an empty first field, which no key matches and no
  // author means as one.
  if (spoglia_blank(campo).empty()) return;
  const lettore_campi::posizione_campo& p = campi.campo(0);
  avviso_registrato a{f.origine_corrente, riga, campo, 0, 0, "", ""};
  if (p.riga == riga) {
    a.colonna = p.colonna;
    a.fine_colonna = p.fine_colonna;
  }
  if (e_intestazione(campo)) {
    // A header is a header to the reader, whatever its name; the author
    // hears of one that is not among the file's own.
    const testo_descrizione t = f.origine_corrente == origine_errore::descrizione_servizio
                                    ? testo_descrizione::servizio
                                    : testo_descrizione::linea;
    for (std::string_view s : sezioni_di(t))
      if (distanza(s, spoglia_blank(campo)) == 0 && s.size() == spoglia_blank(campo).size()) return;
    a.id = "sezione-sconosciuta";
  }
  f.registra_avviso(std::move(a));
}

void avvisa(Form1& f, const lettore_campi& campi, size_t indice, std::string id, std::string messaggio) {
  const lettore_campi::posizione_campo& p = campi.campo(indice);
  avviso_registrato a{f.origine_corrente, p.riga, p.testo, p.colonna, p.fine_colonna, std::move(id), std::move(messaggio)};
  f.registra_avviso(std::move(a));
}

namespace {

bool forma_curva(std::string_view k) {
  return k.size() == 7 && k.substr(0, 5) == "curva" && (k[5] == 'd' || k[5] == 's') && k[6] >= '1' && k[6] <= '6';
}

}  // namespace

void avvisa_forma_chiave(Form1& f, const lettore_campi& campi, const std::string& campo) {
  const testo_descrizione t = f.origine_corrente == origine_errore::descrizione_servizio ? testo_descrizione::servizio
                                                                                         : testo_descrizione::linea;
  const voce_chiave* v = chiave_di_campo(campo, t);
  if (v == nullptr) return;
  const std::string_view k = spoglia_blank(campo);
  if (k == v->chiave || forma_curva(k)) return;
  if (k == "ripetizione segnali 4 codici" || k == "ripetizione segnali 9 codici") return;
  // Messages are UTF-8; what the author wrote is Windows-1252.
  std::string m = "\"" + utf8_da_cp1252(k) + "\" è stata presa per la chiave \"" + std::string(v->chiave) +
                  "\", che vi compare solo come parte del testo o con altre maiuscole";
  if (v->sezione == "[curve]")
    m += ": la curva si scrive \"curva\", poi \"d\" (destra) o \"s\" (sinistra), poi una cifra da 1 a 6; una "
         "\"s\" in qualsiasi punto della chiave fa girare la curva a sinistra";
  avvisa(f, campi, 0, "chiave-approssimata", m);
}

void avvisa_arrotondati(Form1& f, lettore_campi& campi) {
  for (const lettore_campi::posizione_campo& p : campi.arrotondati()) {
    avviso_registrato a{f.origine_corrente, p.riga, p.testo, p.colonna, p.fine_colonna, "decimale-arrotondato",
                        "\"" + utf8_da_cp1252(p.testo) + "\" ha dei decimali: il valore è stato arrotondato a un numero intero"};
    f.registra_avviso(std::move(a));
  }
  campi.dimentica_arrotondati();
}

void avvisa_se_indietro(Form1& f, const lettore_campi& campi, int32_t& ultima, int32_t p) {
  if (p < ultima)
    avvisa(f, campi, 1, "posizione-indietro",
           "la posizione " + std::to_string(p) + " viene prima di quella della riga precedente dello stesso profilo (" +
               std::to_string(ultima) + "): le celle fin lì erano già scritte e questa riga vale solo da qui in avanti");
  ultima = p;
}

std::string nome_voce(std::string testo) {
  if (testo.size() > 0xFFFF) throw guasto_imprevisto("testo di oltre 65535 byte per un record d'intestazione");
  return testo;
}

namespace {

constexpr int32_t kLunghezzaMassima = 1000000;
constexpr int32_t kUltimoMetroCurve = 1000000;

// Multiples of 50 in the sense of the integer remainder: -100 is one.
bool multiplo(int32_t v, int32_t di) { return v % di == 0; }

// The reading of the line description file, from the search for
// "[generale]" to the finishing of the profiles.
class lettura_linea {
 public:
  lettura_linea(Form1& f, const std::string& percorso) : f_(f), percorso_(percorso), campi_(apri(f, percorso)) {}

  // False when memorizza_dati must return.
  bool esegui() {
    if (!cerca_generale()) return false;
    if (parte_generale() == esito::uscita) return false;
    f_.progressive_ordina();
    inizia_sezioni();
    if (parte_sezioni() == esito::uscita) return false;
    finisci();
    return true;
  }

 private:
  bool cerca_generale() {
    while (true) {
      f_.riga_corrente = campi_.leggi_testo();
      if (campi_.fine()) {
        interrompi(f_, percorso_, 102);
        return false;
      }
      if (contiene(f_.riga_corrente, "[generale]", kQualsiasi)) return true;
    }
  }

  // ---- "[generale]" ----

  esito parte_generale() {
    do {
      if (campi_.fine()) return esito::avanti;
      campi_.segna();
      f_.riga_corrente = campi_.leggi_testo();
      if (campi_.fine()) return esito::avanti;
      // Ten reads with no end test between them: a file ending among hyphen
      // lines reads past its end, which is the code-25 path.
      for (int i = 0; i < 10; ++i) {
        if (!contiene(f_.riga_corrente, "-", kQualsiasi)) continue;
        campi_.segna();
        f_.riga_corrente = campi_.leggi_testo();
      }
      f_.riga_sorgente = campi_.riga_campo();
      if (chiavi_generale() == esito::uscita) return esito::uscita;
    } while (!fine_generale(f_.riga_corrente));
    return esito::avanti;
  }

  static bool fine_generale(const std::string& campo) {
    const size_t primo = campo.find_first_not_of(' ');
    const bool trattino = primo != std::string::npos && campo[primo] == '-';
    return !trattino && campo.find('[') != std::string::npos && campo.find(']') != std::string::npos;
  }

  esito chiavi_generale() {
    const std::string campo = f_.riga_corrente;
    const int riga = campi_.riga_campo();
    bool trovata = false;
    auto prova = [&](std::string_view a, std::string_view b, confronto modo) {
      const bool si = contiene(campo, a, modo) && contiene(campo, b, modo);
      trovata = trovata || si;
      return si;
    };
    if (prova("lunghezza", "percorso", kQualsiasi) && lunghezza_percorso() == esito::uscita) return esito::uscita;
    if (prova("progressiva", "tre", kEsatto)) progressiva(f_.voci[slot_voce::progressiva_tre]);
    if (prova("progressiva", "due", kEsatto)) progressiva(f_.voci[slot_voce::progressiva_due]);
    if (prova("progressiva", "uno", kEsatto)) progressiva(f_.voci[slot_voce::progressiva_uno]);
    if (prova("sfondo", "uno", kEsatto)) f_.voci[slot_voce::linea].inizio_zona = campi_.leggi_long();
    if (prova("sfondo", "due", kEsatto)) f_.voci[slot_voce::linea].posizione = campi_.leggi_long();
    if (prova("sfondo", "tre", kEsatto)) f_.voci[slot_voce::linea].fine_zona = campi_.leggi_long();
    if (prova("ripetizione", "segnali", kEsatto) && ripetizione_segnali(campo) == esito::uscita) return esito::uscita;
    if (trovata) {
      avvisa_forma_chiave(f_, campi_, campo);
      avvisa_arrotondati(f_, campi_);
    }
    // The header that closes the part is not a stray line.
    if (!trovata && (!fine_generale(campo) || e_intestazione(campo))) avvisa_se_sconosciuta(f_, campi_, campo, riga);
    return esito::avanti;
  }

  esito lunghezza_percorso() {
    const int32_t l = campi_.leggi_long();
    f_.voci[slot_voce::convoglio].fine_zona = l;
    if (l > kLunghezzaMassima) {
      interrompi(f_, percorso_, 1);
      dettaglia(f_, campi_, 1);
      return esito::uscita;
    }
    const int32_t estesa = l + 7000;  // l is at most 1,000,000 here
    const int64_t celle = arrotonda_intero(estesa / 50.0);
    // A grid with no cell at all cannot be made; a short one can.
    if (celle < 0) throw guasto_imprevisto("lunghezza percorso negativa");
    f_.lunghezza_estesa = estesa;
    f_.numero_celle = static_cast<int32_t>(celle);
    crea_griglia(static_cast<size_t>(celle) + 1);
    f_.occupanti.clear();
    if (f_.scrivi_tracciato != 0) f_.tracciato.crea(estesa);
    return esito::avanti;
  }

  // A fresh grid, its pages mapped at once: a long line's grid is a few
  // hundred of them, each filled here for the first time.
  void crea_griglia(size_t celle) {
    std::vector<cella> g;
    g.reserve(celle);
    prepara_pagine(g.data(), celle * sizeof(cella));
    g.assign(celle, cella{});
    f_.griglia_celle = std::move(g);
  }

  void progressiva(voce& v) {
    v.inizio_zona = campi_.leggi_long();
    v.fine_zona = campi_.leggi_long();
    v.posizione = campi_.leggi_long();
    // Error 2 is found at the end of the service text; the field is noted now.
    const size_t slot = static_cast<size_t>(&v - &f_.voci[81]);
    if (slot < f_.campi_progressive.size()) {
      f_.campi_progressive[slot].reset();
      const size_t cattivo = v.inizio_zona % 50 != 0 ? 1 : (v.fine_zona % 50 != 0 ? 2 : 0);
      if (cattivo != 0) {
        const lettore_campi::posizione_campo& p = campi_.campo(cattivo);
        f_.campi_progressive[slot] = campo_sorgente{p.riga, p.colonna, p.fine_colonna, static_cast<int>(cattivo), p.testo};
      }
    }
  }

  esito ripetizione_segnali(const std::string& campo) {
    voce& v = f_.voci[slot_voce::treno];
    v.inizio_zona = campi_.leggi_long();
    v.fine_zona = campi_.leggi_long();
    if (!multiplo(v.inizio_zona, 50)) return termina(3, {}, 1);
    if (!multiplo(v.fine_zona, 50)) return termina(4, {}, 2);
    if (contiene(campo, "4", kQualsiasi))
      v.posizione = 4;
    else if (contiene(campo, "9", kQualsiasi))
      v.posizione = 9;
    else
      return termina(5, {}, 0);
    if (v.fine_zona == 0) v.posizione = 0;
    return esito::avanti;
  }

  // ---- The sections ----

  void inizia_sezioni() {
    if (f_.scrivi_tracciato != 0) f_.tracciato.poni_origine();
  }

  esito parte_sezioni() {
    while (prossima_chiave(f_, campi_)) {
      const esito e = chiavi_sezioni();
      if (e != esito::avanti) return e;
    }
    return esito::avanti;
  }

  esito chiavi_sezioni() {
    const std::string campo = f_.riga_corrente;
    const int riga = campi_.riga_campo();
    bool trovata = false;
    auto prova = [&](std::string_view a, std::string_view b) {
      const bool si = contiene(campo, a, kQualsiasi) && contiene(campo, b, kQualsiasi);
      trovata = trovata || si;
      return si;
    };
    esito e = esito::avanti;
    if (prova("pendenza", "") && (e = pendenza()) != esito::avanti) return e;
    if (prova("curva", "")) {
      if (f_.scrivi_tracciato != 0) {
        if ((e = curva(campo)) != esito::avanti) return e;
      } else {
        // Without a plan the curve's numbers are read as first fields of
        // further lines; they are expected, not an author's slip.
        riga_curva_ignorata_ = riga;
      }
    }
    if (prova("montagna", "") && (e = montagna()) != esito::avanti) return e;
    if (prova("indicatori_v", "") && (e = indicatori_v_max()) != esito::avanti) return e;
    if (prova("cartello", "indicat") && (e = cartello()) != esito::avanti) return e;
    if (trovata && riga != riga_curva_ignorata_) {
      avvisa_forma_chiave(f_, campi_, campo);
      avvisa_arrotondati(f_, campi_);
    }
    if (!trovata && riga != riga_curva_ignorata_) avvisa_se_sconosciuta(f_, campi_, campo, riga);
    return esito::avanti;
  }

  void pendenza_fino_a(int64_t fino) {
    riempi_profilo(f_, f_.cella_pendenza, fino, &cella::pendenza, byte_basso(int64_t{f_.pendenza_corrente} + 100));
  }

  esito pendenza() {
    const int32_t p = campi_.leggi_long();
    const int32_t g = campi_.leggi_long();
    if (!entro_griglia(f_, campi_, p, 100)) return esito::fine_lettura;
    avvisa_se_indietro(f_, campi_, ultima_pendenza_, p);
    if (g < -100 || g > 155)
      avvisa(f_, campi_, 2, "valore-avvolto",
             "la pendenza " + std::to_string(g) + " non sta nella sua colonna (da -100 a 155): vi diventa " +
                 std::to_string(static_cast<int>(byte_basso(int64_t{g} + 100)) - 100));
    const int64_t c = arrotonda_intero(p / 50.0);
    if (c > 0) pendenza_fino_a(c);
    f_.pendenza_corrente = g;
    return esito::avanti;
  }

  esito curva(const std::string& campo) {
    const int32_t p = campi_.leggi_long();
    const int32_t d = campi_.leggi_long();
    if (!entro_griglia(f_, campi_, p, 100)) return esito::fine_lettura;
    static constexpr std::array<std::pair<char, double>, 6> kCurvature = {
        {{'1', 0.0001}, {'2', 0.0002}, {'3', 0.0004}, {'4', 0.001}, {'5', 0.002}, {'6', 0.003}}};
    double k = 0;
    bool trovata = false;
    for (const auto& [cifra, valore] : kCurvature) {
      if (campo.find(cifra) != std::string::npos) {
        k = valore;
        trovata = true;
        break;
      }
    }
    if (!trovata) return termina(103, {}, 0);
    if (contiene(campo, "s", kQualsiasi)) k = -k;
    f_.curvatura = k;
    if (!passi_fino_a(p, 0)) return termina(103);
    if (!passi_fino_a(int64_t{p} + d, f_.curvatura)) return termina(103);
    return esito::avanti;
  }

  // The metres of the plan up to `a`, straight when k is 0; none when the
  // plan is already past it. False once the plan has passed the last metre a
  // curve may reach: it stops after tracing the metre beyond it.
  bool passi_fino_a(int64_t a, double k) {
    const int32_t m = f_.metro_tracciato;
    if (m > a) return true;
    const int64_t ultimo = std::min<int64_t>(a, std::max(m, kUltimoMetroCurve));
    traccia(k, static_cast<int32_t>(ultimo - m + 1));
    return f_.metro_tracciato <= kUltimoMetroCurve;
  }

  // `n` metres of the plan. Past the plan's last metre the table throws,
  // having traced the metres that fit: the plan keeps them.
  void traccia(double k, int32_t n) {
    try {
      f_.tracciato.avanza(k, n);
    } catch (...) {
      f_.metro_tracciato = f_.tracciato.prossimo_metro();
      throw;
    }
    f_.metro_tracciato = f_.tracciato.prossimo_metro();
  }

  esito montagna() {
    int32_t inizio = campi_.leggi_long();
    int32_t fine = campi_.leggi_long();
    int32_t tipo = campi_.leggi_long();
    if (!entro_griglia(f_, campi_, inizio, 100)) return esito::fine_lettura;
    f_.errori_alla_posa = f_.errori.size();
    f_.memo_montagna(inizio, fine, tipo);
    return errore_dopo_posa(f_, campi_, percorso_, inizio) ? esito::uscita : esito::avanti;
  }

  esito indicatori_v_max() {
    std::array<int32_t, 9> v{};
    for (int32_t& x : v) x = campi_.leggi_long();
    if (!entro_griglia(f_, campi_, v[0], 100)) return esito::fine_lettura;
    f_.errori_alla_posa = f_.errori.size();
    f_.memo_indicatori_v_max(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]);
    return errore_dopo_posa(f_, campi_, percorso_, v[0]) ? esito::uscita : esito::avanti;
  }

  esito cartello() {
    const int32_t p = campi_.leggi_long();
    f_.riga_corrente = campi_.leggi_testo();
    if (!entro_griglia(f_, campi_, p, 100)) return esito::fine_lettura;
    const int64_t c = arrotonda_intero(p / 50.0 + 1);
    if (c < 0) return fuori_tabella(f_, p);
    cella& x = f_.cella_at(c);
    if (!libera(x)) {
      termina(6, p, 1);
      f_.errori.back().altro = f_.occupante_di(c);
      return esito::uscita;
    }
    f_.occupa(c, p, "cartello indicatore");
    // Slots 80 down to 1 hold the board texts; slot 0 stays cleared.
    if (f_.indice_cartelli < 1) return fuori_tabella(f_, p);
    f_.voci[static_cast<size_t>(f_.indice_cartelli)].nome = nome_voce(f_.riga_corrente);
    x.tipo = tipo_cella::cartello;
    x.valore_a = static_cast<int16_t>(f_.indice_cartelli);
    --f_.indice_cartelli;
    return esito::avanti;
  }

  // ---- Finishing ----

  void finisci() {
    elimina(f_, percorso_);
    pendenza_fino_a(f_.numero_celle - 2);
    if (f_.scrivi_tracciato != 0 && f_.metro_tracciato <= f_.lunghezza_estesa - 2)
      traccia(0, f_.lunghezza_estesa - 2 - f_.metro_tracciato + 1);
  }

  esito termina(int32_t codice, std::optional<int32_t> posizione = {}, std::optional<size_t> campo = {}) {
    interrompi(f_, percorso_, codice, posizione);
    if (campo) dettaglia(f_, campi_, *campo);
    return esito::uscita;
  }

  Form1& f_;
  const std::string& percorso_;
  lettore_campi campi_;
  int riga_curva_ignorata_ = 0;
  int32_t ultima_pendenza_ = INT32_MIN;
};

// Clean-up of the code-25 path: no file is open any more (the texts were
// read whole); whichever description file is still there goes.
void guasto(Form1& f) {
  try {
    for (const std::string& nome : {nome_descrizione_linea(f.nome_linea),
                                    nome_descrizione_servizio(f.nome_linea, f.numero_treno)}) {
      const std::string p = f.percorso(nome);
      if (f.fs.exists(p)) f.fs.remove_file(p);
    }
  } catch (...) {
    // The failure is already being recorded; a clean-up that fails too adds nothing.
  }
  f.imposta_errore(25);
  f.lettura_interrotta = true;
  f.errori.back().interrompe = true;
}

void guasto(Form1& f, const errore_campo& e) {
  guasto(f);
  errore_registrato& r = f.errori.back();
  r.riga = e.campo.riga;
  r.campo = campo_sorgente{e.campo.riga, e.campo.colonna, e.campo.fine_colonna, e.indice, e.campo.testo};
  r.motivo = e.what();
  r.id_motivo = e.id;
}

}  // namespace
}  // namespace lettura

void Form1::memorizza_dati() {
  // The state starts from prepara_compilazione.
  origine_corrente = origine_errore::descrizione_linea;
  try {
    voci[slot_voce::linea].nome = lettura::nome_voce(nome_linea);
    voci[slot_voce::treno].nome = lettura::nome_voce(numero_treno);
    const std::string linea = percorso(nome_descrizione_linea(nome_linea));
    if (!fs.exists(linea)) {
      imposta_errore(101);
      lettura_interrotta = true;
      return;
    }
    if (!lettura::lettura_linea(*this, linea).esegui()) return;
    lettura::memorizza_servizio(*this);
  } catch (const errore_campo& e) {
    lettura::guasto(*this, e);
  } catch (const lettura::guasto_in_lettura& e) {
    lettura::guasto(*this);
    errori.back().motivo = e.what();
    errori.back().id_motivo = e.id;
  } catch (const guasto_imprevisto&) {
    lettura::guasto(*this);
  } catch (const std::bad_alloc&) {
    lettura::guasto(*this);
  } catch (const std::length_error&) {
    lettura::guasto(*this);
  }
}

}  // namespace binario
