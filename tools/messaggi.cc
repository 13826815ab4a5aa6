#include "tools/messaggi.h"

#include <array>

namespace binario {

namespace {

struct voce_messaggio {
  int32_t codice;
  std::string_view testo;
};

constexpr std::array<voce_messaggio, 26> kMessaggi = {{
    {1, "\"lunghezza percorso\" supera 1000000 metri: indica una lunghezza della linea non oltre 1000000"},
    {2, "un valore di \"progressiva chilometrica\" (il primo o il secondo numero) non è multiplo di 50: "
        "correggilo nella sezione [generale] del file della linea"},
    {3, "il primo valore di \"ripetizione segnali\" non è multiplo di 50: usa un multiplo di 50 metri"},
    {4, "il secondo valore di \"ripetizione segnali\" non è multiplo di 50: usa un multiplo di 50 metri"},
    {5, "la chiave \"ripetizione segnali\" non dice quanti codici usare: scrivi \"4\" o \"9\" nella chiave, "
        "per esempio \"ripetizione segnali 4 codici\""},
    {6, "il cartello indicatore cade in una cella già occupata da un altro elemento: spostalo in una cella "
        "libera (ogni cella copre 50 metri)"},
    {7, "l'abbattimento cade in una cella già occupata da un altro elemento: spostalo in una cella libera"},
    {8, "la posizione della stazione non è multipla di 50 metri: correggila"},
    {9, "la lunghezza della zona di stazione (terza colonna) non è multipla di 100 metri: correggila"},
    {10, "troppe stazioni: le stazioni hanno raggiunto i posti dei testi dei cartelli indicatori (al massimo "
         "78 stazioni meno il numero dei cartelli): togli qualche stazione o qualche cartello"},
    {11, "davanti a un segnale che precede di meno di 20 celle l'avviso di un rallentamento non c'è posto per "
         "il punto di cambio codice: libera una delle due celle prima del segnale o sposta il segnale"},
    {12, "prima dell'inizio del rallentamento una delle tre finestre per i punti di cambio codice (5-7, 11-13, "
         "18-20 celle prima) non ha celle libere: sposta il rallentamento o gli elementi che le occupano"},
    {13, "non c'è posto per un punto di cambio codice dentro il rallentamento o davanti al primo segnale dopo "
         "la sua fine: sposta il rallentamento o gli elementi vicini"},
    {15, "la posizione cade oltre la fine della griglia (la linea più 7000 metri; per una stazione servono "
         "800 metri di margine, per gli altri elementi 100): correggi la posizione o \"lunghezza percorso\""},
    {16, "il segnale cade in una cella già occupata da un altro elemento: spostalo in una cella libera "
         "(ogni cella copre 50 metri)"},
    {17, "la cella dell'avviso del rallentamento (1200 metri prima dell'inizio) è già occupata: sposta il "
         "rallentamento o l'elemento che occupa quella cella"},
    {18, "la cella d'inizio del rallentamento è già occupata: sposta il rallentamento o l'elemento che occupa "
         "quella cella"},
    {19, "la cella di fine del rallentamento (inizio più lunghezza) è già occupata: cambia la lunghezza o "
         "sposta l'elemento che occupa quella cella"},
    {20, "una delle quattro celle prima dell'avviso del rallentamento è già occupata: sposta il rallentamento "
         "o metti a 0 il quinto valore della riga"},
    {21, "gli indicatori di velocità massima cadono in una cella già occupata da un altro elemento: spostali "
         "in una cella libera"},
    {22, "la zona della stazione comincia meno di 350 metri dopo la fine della zona della stazione "
         "precedente: distanzia le stazioni ed elencale in ordine di posizione"},
    {24, "la zona della stazione finisce entro i primi 100 metri della linea e non lascia posto al punto di "
         "fermata: sposta la stazione più avanti o allunga la sua zona"},
    {25, "guasto imprevisto nella lettura: un valore fuori dal suo tipo (oltre 255 in una colonna da un byte, "
         "oltre 32767 in una colonna intera), una riga con meno valori del dovuto o un file che non si legge: "
         "controlla la riga indicata e quelle vicine"},
    {101, "il file della linea non esiste: crealo (\"binario export\" scrive un modello da cui partire)"},
    {102, "manca la sezione \"[generale]\" prima della fine del file (sull'ultima riga non conta): aggiungila "
          "in testa al file"},
    {103, "la chiave della curva non ha una cifra da 1 a 6 che ne dia la curvatura (per esempio \"curvad5\" o "
         "\"curvas5\"), oppure il tracciato supera il metro 1000000: correggi la chiave o accorcia le curve"},
}};

constexpr std::array<voce_messaggio, 2> kFatali = {{
    {1250, "il posto dei segni di formato è già occupato: la cella 1 (i primi 25 metri della linea) contiene "
           "un valore; togli o sposta l'elemento posto all'inizio della linea (per esempio un segnale al "
           "metro 0). Nessun file binario è stato scritto"},
    {1251, "il posto dei codici di gara è già occupato: la cella 1 (i primi 25 metri della linea) contiene un "
           "valore; togli o sposta l'elemento posto all'inizio della linea. Nessun file binario è stato "
           "scritto"},
}};

constexpr std::array<int32_t, 26> kCodici = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10,  11,  12,  13,
                                             15, 16, 17, 18, 19, 20, 21, 22, 24, 25, 101, 102, 103};

}  // namespace

std::span<const int32_t> codici_compilazione() { return kCodici; }

std::string_view messaggio_errore(int32_t codice) {
  for (const voce_messaggio& m : kMessaggi)
    if (m.codice == codice) return m.testo;
  for (const voce_messaggio& m : kFatali)
    if (m.codice == codice) return m.testo;
  return kMessaggioCodiceSconosciuto;
}

}  // namespace binario
