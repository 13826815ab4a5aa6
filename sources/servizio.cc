// The service description file: the train, its profiles, the stations and
// the line-side features of the run.
#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <optional>
#include <string>

#include "app/form1.h"
#include "base/nomi_file.h"
#include "base/arrotonda.h"
#include "sources/campi.h"
#include "sources/reader_internal.h"

namespace binario::lettura {
namespace {

// The speed in units of 5 km/h; a Byte cell field, so a value outside it is a
// failure, not a truncation.
uint8_t velocita_in_byte(int32_t kmh) {
  const int64_t v = arrotonda_intero(kmh / 5.0);
  if (v < 0 || v > UINT8_MAX) throw guasto_imprevisto("velocita fuori dall'intervallo di un Byte");
  return static_cast<uint8_t>(v);
}

bool entro_byte(int32_t kmh) {
  const int64_t v = arrotonda_intero(kmh / 5.0);
  return v >= 0 && v <= UINT8_MAX;
}

class lettura_servizio {
 public:
  lettura_servizio(Form1& f, const std::string& percorso) : f_(f), percorso_(percorso), campi_(apri(f, percorso)) {}

  void esegui() {
    cerca_generale();
    while (prossima_chiave(f_, campi_)) {
      const esito e = chiavi();
      if (e == esito::uscita) return;
      if (e == esito::fine_lettura) break;
    }
    finisci();
  }

 private:
  // A file without "[generale]" is read to its end and no key is handled.
  void cerca_generale() {
    while (!campi_.fine()) {
      f_.riga_corrente = campi_.leggi_testo();
      if (contiene(f_.riga_corrente, "[generale]", kQualsiasi)) return;
    }
    avviso_registrato a{f_.origine_corrente, 0, "", 0, 0, "generale-mancante",
                        "il file del servizio non ha la sezione \"[generale]\": nessuna sua riga è stata letta "
                        "(niente stazioni, segnali né velocità)"};
    f_.registra_avviso(std::move(a));
  }

  esito chiavi() {
    const std::string campo = f_.riga_corrente;
    const int riga = campi_.riga_campo();
    bool trovata = false;
    auto prova = [&](std::string_view a, std::string_view b) {
      const bool si = contiene(campo, a, kQualsiasi) && contiene(campo, b, kQualsiasi);
      trovata = trovata || si;
      return si;
    };
    esito e = esito::avanti;
    if (prova("frenata", "massa")) f_.voci[slot_voce::convoglio].inizio_zona = campi_.leggi_long();
    if (prova("vetture", "")) f_.voci[slot_voce::convoglio].posizione = campi_.leggi_long();
    if (prova("velocit", "") && (e = velocita()) != esito::avanti) return e;
    if (prova("aderenza", "") && (e = aderenza()) != esito::avanti) return e;
    if (prova("orologio", "")) {
      f_.voci[slot_voce::treno].colonna_10 = campi_.leggi_integer();
      f_.voci[slot_voce::treno].colonna_11 = campi_.leggi_integer();
      f_.voci[slot_voce::treno].colonna_12 = campi_.leggi_integer();
    }
    if (prova("sabbia", "")) f_.voci[slot_voce::treno].colonna_7 = campi_.leggi_integer();
    if (prova("segnale", "") && (e = segnale()) != esito::avanti) return e;
    if (prova("rallentamento", "") && (e = rallentamento()) != esito::avanti) return e;
    if (prova("abbattimento", "") && (e = abbattimento()) != esito::avanti) return e;
    if (prova("stazione", "") && (e = stazione()) != esito::avanti) return e;
    if (!trovata) avvisa_se_sconosciuta(f_, campi_, campo, riga);
    if (trovata) {
      avvisa_forma_chiave(f_, campi_, campo);
      avvisa_arrotondati(f_, campi_);
    }
    return esito::avanti;
  }

  // ---- Profiles ----

  void velocita_fino_a(int64_t fino) {
    if (!entro_byte(f_.velocita_corrente))
      // Written only when the next line is read: the fault is the line that gave the speed.
      throw errore_campo("fuori-intervallo",
                         "\"" + campo_velocita_.testo + "\" km/h non sta nella sua colonna, che va da 0 a 1277 km/h",
                         campo_velocita_, 2, "velocita");
    riempi_profilo(f_, f_.cella_velocita, fino, &cella::velocita_limite, velocita_in_byte(f_.velocita_corrente));
  }

  void aderenza_fino_a(int64_t fino) {
    riempi_profilo(f_, f_.cella_aderenza, fino, &cella::aderenza, byte_basso(f_.aderenza_corrente));
  }

  esito velocita() {
    const int32_t p = campi_.leggi_long();
    const int32_t s = campi_.leggi_long();
    if (!entro_griglia(f_, campi_, p, 100)) return esito::fine_lettura;
    const lettore_campi::posizione_campo campo_s = campi_.campo(2);
    avvisa_se_indietro(f_, campi_, ultima_velocita_, p);
    const int64_t c = arrotonda_intero(p / 50.0);
    // Unlike the other profiles, speed stops at the last cell.
    if (c > 0 && f_.cella_velocita < f_.numero_celle) velocita_fino_a(std::min<int64_t>(c, f_.numero_celle));
    f_.velocita_corrente = s;
    campo_velocita_ = campo_s;
    return esito::avanti;
  }

  esito aderenza() {
    const int32_t p = campi_.leggi_long();
    const int32_t a = campi_.leggi_long();
    if (!entro_griglia(f_, campi_, p, 100)) return esito::fine_lettura;
    avvisa_se_indietro(f_, campi_, ultima_aderenza_, p);
    const int64_t c = arrotonda_intero(p / 50.0);
    if (c > 0) aderenza_fino_a(c);
    f_.aderenza_corrente = a;
    return esito::avanti;
  }

  // ---- Features ----

  esito segnale() {
    std::array<int32_t, 11> v{};
    for (int32_t& x : v) x = campi_.leggi_long();
    if (!entro_griglia(f_, campi_, v[0], 100)) return esito::fine_lettura;
    f_.errori_alla_posa = f_.errori.size();
    f_.memo_segnale(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10]);
    return errore_dopo_posa(f_, campi_, percorso_, v[0]) ? esito::uscita : esito::avanti;
  }

  esito rallentamento() {
    std::array<int32_t, 6> v{};
    for (int32_t& x : v) x = campi_.leggi_long();
    if (!entro_griglia(f_, campi_, v[0], 100)) return esito::fine_lettura;
    f_.errori_alla_posa = f_.errori.size();
    f_.memo_rallentamento(v[0], v[1], v[2], v[3], v[4], v[5]);
    return errore_dopo_posa(f_, campi_, percorso_, v[0]) ? esito::uscita : esito::avanti;
  }

  esito abbattimento() {
    const int32_t p = campi_.leggi_long();
    const int32_t valore = campi_.leggi_long();
    if (!entro_griglia(f_, campi_, p, 100)) return esito::fine_lettura;
    const int64_t c = arrotonda_intero(p / 50.0);
    if (c < 0) return fuori_tabella(f_, p);
    cella& x = f_.cella_at(c);
    if (!libera(x)) {
      termina(7, p, 1);
      f_.errori.back().altro = f_.occupante_di(c);
      return esito::uscita;
    }
    f_.occupa(c, p, "abbattimento");
    if (valore > 0) {
      x.tipo = tipo_cella::abbattimento;
      x.valore_a = static_cast<int16_t>(static_cast<uint16_t>(valore));
    } else {
      x.tipo = tipo_cella::abbattimento_senza_codice;
    }
    return esito::avanti;
  }

  // ---- Stations ----

  esito stazione() {
    const int32_t k = f_.indice_stazione;
    // Slot k already holds a sign-board text (80 boards leave no slot free):
    // the row would overwrite it.
    if (k > f_.indice_cartelli || k < 1) return termina(10, {}, 0);
    voce& v = f_.voci[static_cast<size_t>(k)];

    const int32_t p = campi_.leggi_long();
    v.posizione = p;
    if (!entro_griglia(f_, campi_, p, 800)) return esito::fine_lettura;
    if (p % 50 != 0) return termina(8, p, 1);
    v.tipo = campi_.leggi_byte();
    const int32_t z = campi_.leggi_long();
    f_.lunghezza_zona = z;
    if (z % 100 != 0) return termina(9, p, 3);
    v.colonna_4 = campi_.leggi_byte();
    v.colonna_5 = campi_.leggi_byte();
    v.colonna_6 = campi_.leggi_byte();
    v.colonna_7 = campi_.leggi_integer();
    v.colonna_8 = campi_.leggi_integer();
    v.colonna_9 = campi_.leggi_byte();
    v.colonna_10 = campi_.leggi_integer();
    v.colonna_11 = campi_.leggi_integer();
    v.colonna_12 = campi_.leggi_integer();
    v.colonna_13 = campi_.leggi_byte();
    const int32_t h = campi_.leggi_long();
    const int32_t m = campi_.leggi_long();
    const int32_t s = campi_.leggi_long();
    v.orario = arrotonda_int32(h * 3600.0 + m * 60.0 + s);  // exact in a double; a Long or a failure
    v.nome = nome_voce(campi_.leggi_testo());
    avvisa_stazione(m, s, v);

    zona(v, p, z);
    if (z < 600) v.colonna_5 = 0;
    if (k == 1) {
      v.colonna_5 = 0;
      v.colonna_6 = 0;
    }
    if (v.tipo < 25 && v.tipo != 5 && v.tipo != 6) {
      for (int a = 1; a <= 4; ++a) {
        const double q = v.fine_zona / 50.0 - a - 1;
        if (q > 1) f_.cella_at(arrotonda_intero(q)).codice_avviso = static_cast<uint8_t>(80 + a);
      }
    }
    if (v.tipo < 25) {
      const double q = v.fine_zona / 50.0 - 1;
      if (q <= 1) return termina(24, {}, 1);
      cella& fermata = f_.cella_at(arrotonda_intero(q));
      f_.occupa(arrotonda_intero(q), p, "punto di fermata della stazione");
      fermata.tipo = tipo_cella::fermata;
      fermata.valore_a = static_cast<int16_t>(k);
    }
    if (k > 1 && int64_t{v.inizio_zona} - 350 < f_.voci[static_cast<size_t>(k - 1)].fine_zona) {
      termina(22, p, 1);
      f_.errori.back().altro = stazione_precedente_;
      return esito::uscita;
    }
    stazione_precedente_ = occupante{f_.origine_corrente, f_.riga_sorgente, p, "stazione"};
    f_.indice_stazione = k + 1;
    if (f_.indice_stazione >= f_.indice_cartelli) return termina(10, {}, 0);
    return esito::avanti;
  }

  // Fields 15 and 16 are minutes and seconds, 17 the name.
  void avvisa_stazione(int32_t m, int32_t s, const voce& v) {
    if (m < 0 || m >= 60) avvisa(f_, campi_, 15, "orario-fuori-scala", "i minuti vanno da 0 a 59, non " + std::to_string(m));
    if (s < 0 || s >= 60) avvisa(f_, campi_, 16, "orario-fuori-scala", "i secondi vanno da 0 a 59, non " + std::to_string(s));
    if (v.orario < ultimo_orario_)
      avvisa(f_, campi_, 14, "orario-indietro", "l'orario di questa stazione viene prima di quello della precedente");
    ultimo_orario_ = v.orario;
    if (!v.nome.empty() && (v.nome.back() == ' ' || v.nome.back() == '\t'))
      avvisa(f_, campi_, 17, "spazi-in-coda", "il nome finisce con degli spazi, che restano nel nome");
  }

  // Every sum and difference is exact in a double; one that does not fit a
  // Long is a failure.
  static void zona(voce& v, int32_t p, int32_t z) {
    if (v.tipo == 5 || v.tipo == 6) {
      v.inizio_zona = arrotonda_int32(static_cast<double>(p) - z);
      v.fine_zona = arrotonda_int32(p + 150.0);
      v.colonna_6 = 0;
    } else if (v.tipo == 7 || v.tipo == 8) {
      v.inizio_zona = arrotonda_int32(static_cast<double>(p) - z);
      v.fine_zona = arrotonda_int32(static_cast<double>(p) + z);
      v.colonna_6 = 0;
    } else {
      v.inizio_zona = arrotonda_int32(p - z / 2.0);
      v.fine_zona = arrotonda_int32(v.colonna_6 != 0 ? p + z / 2.0 + 50 : p + z / 2.0);
    }
  }

  // ---- Finishing ----

  void finisci() {
    elimina(f_, percorso_);
    velocita_fino_a(f_.numero_celle - 2);
    aderenza_fino_a(f_.numero_celle - 2);
    // The kilometre references come from the line description file.
    f_.origine_corrente = origine_errore::descrizione_linea;
    f_.riga_sorgente = 0;
    for (size_t slot = slot_voce::progressiva_tre; slot <= slot_voce::progressiva_uno; ++slot) {
      const voce& v = f_.voci[static_cast<size_t>(slot)];
      if (v.inizio_zona % 50 != 0 || v.fine_zona % 50 != 0) {
        const auto& campo = f_.campi_progressive[static_cast<size_t>(slot - 81)];
        if (campo) f_.riga_sorgente = campo->riga;
        f_.imposta_errore(2);
        f_.errori.back().campo = campo;
        return;
      }
    }
  }

  esito termina(int32_t codice, std::optional<int32_t> posizione = {}, std::optional<size_t> campo = {}) {
    interrompi(f_, percorso_, codice, posizione);
    if (campo) dettaglia(f_, campi_, *campo);
    return esito::uscita;
  }

  Form1& f_;
  const std::string& percorso_;
  lettore_campi campi_;
  std::optional<occupante> stazione_precedente_;
  lettore_campi::posizione_campo campo_velocita_;
  int32_t ultima_velocita_ = INT32_MIN;
  int32_t ultima_aderenza_ = INT32_MIN;
  int32_t ultimo_orario_ = INT32_MIN;
};

}  // namespace

void memorizza_servizio(Form1& f) {
  f.origine_corrente = origine_errore::descrizione_servizio;
  f.riga_sorgente = 0;
  const std::string percorso = f.percorso(nome_descrizione_servizio(f.nome_linea, f.numero_treno));
  lettura_servizio(f, percorso).esegui();
}

}  // namespace binario::lettura
