#include "compile/codici.h"

#include <array>

namespace binario {

namespace {

// clang-format off
constexpr std::array<voce_codice, 28> kCodici = {{
    {1, "lunghezza-eccessiva", true,
     "\"lunghezza percorso\" supera 1000000 metri: indica una lunghezza della linea non oltre 1000000",
     "il primo valore di \"lunghezza percorso\" supera 1000000",
     "lunghezza percorso,    1200000",
     "lunghezza percorso,    12000"},
    {2, "progressiva-non-multipla", false,
     "un valore di \"progressiva chilometrica\" (il primo o il secondo numero) non è multiplo di 50: "
        "correggilo nella sezione [generale] del file della linea",
     "il primo o il secondo valore di una \"progressiva chilometrica\" non è multiplo di 50; si scopre alla fine del file del servizio",
     "progressiva chilometrica uno,    1020,  0,  1",
     "progressiva chilometrica uno,    1000,  0,  1"},
    {3, "ripetizione-inizio-non-multiplo", true,
     "il primo valore di \"ripetizione segnali\" non è multiplo di 50: usa un multiplo di 50 metri",
     "il primo valore di \"ripetizione segnali\" non è multiplo di 50",
     "ripetizione segnali 4 codici,  1020  ,0",
     "ripetizione segnali 4 codici,  1000  ,0"},
    {4, "ripetizione-fine-non-multipla", true,
     "il secondo valore di \"ripetizione segnali\" non è multiplo di 50: usa un multiplo di 50 metri",
     "il secondo valore di \"ripetizione segnali\" non è multiplo di 50",
     "ripetizione segnali 4 codici,  1000  ,2020",
     "ripetizione segnali 4 codici,  1000  ,2000"},
    {5, "ripetizione-senza-codici", true,
     "la chiave \"ripetizione segnali\" non dice quanti codici usare: scrivi \"4\" o \"9\" nella chiave, "
        "per esempio \"ripetizione segnali 4 codici\"",
     "la chiave \"ripetizione segnali\" non contiene né 4 né 9",
     "ripetizione segnali,  0  ,0",
     "ripetizione segnali 4 codici,  0  ,0"},
    {6, "cartello-cella-occupata", true,
     "il cartello indicatore cade in una cella già occupata da un altro elemento: spostalo in una cella "
        "libera (ogni cella copre 50 metri)",
     "un cartello indicatore cade nella cella di un elemento posato prima (segnale, indicatori, altro cartello)",
     "cartello_indicatore,  2000,  \"(SAN ROCCO)\"   (con un altro cartello al metro 2000)",
     "cartello_indicatore,  2050,  \"(SAN ROCCO)\""},
    {7, "abbattimento-cella-occupata", true,
     "l'abbattimento cade in una cella già occupata da un altro elemento: spostalo in una cella libera",
     "un abbattimento cade nella cella di un elemento posato prima",
     "abbattimento,  3000,  2   (con un segnale al metro 3000)",
     "abbattimento,  3100,  2"},
    {8, "stazione-non-multipla", true,
     "la posizione della stazione non è multipla di 50 metri: correggila",
     "la posizione di una stazione non è multipla di 50",
     "stazione, 2020, 1, 400, ...",
     "stazione, 2000, 1, 400, ..."},
    {9, "zona-non-multipla", true,
     "la lunghezza della zona di stazione (terza colonna) non è multipla di 100 metri: correggila",
     "la lunghezza della zona di stazione (terzo valore) non è multipla di 100",
     "stazione, 2000, 1, 450, ...",
     "stazione, 2000, 1, 400, ..."},
    {10, "troppe-stazioni", true,
     "troppe stazioni: le stazioni hanno raggiunto i posti dei testi dei cartelli indicatori (al massimo "
         "78 stazioni meno il numero dei cartelli): togli qualche stazione o qualche cartello",
     "le stazioni e i cartelli indicatori insieme superano i posti del file d'intestazione",
     "una 79ª riga \"stazione\"",
     "al massimo 78 stazioni meno il numero dei cartelli"},
    {11, "cambio-codice-davanti-segnale", false,
     "davanti a un segnale che precede di meno di 20 celle l'avviso di un rallentamento non c'è posto per "
         "il punto di cambio codice: libera una delle due celle prima del segnale o sposta il segnale",
     "le due celle davanti a un segnale che precede l'avviso di un rallentamento sono occupate",
     "segnale al metro 5000 con cartelli ai metri 4900 e 4950, rallentamento al metro 6500",
     "lascia libera la cella 4950 o 4900"},
    {12, "finestra-cambio-codice", false,
     "prima dell'inizio del rallentamento una delle tre finestre per i punti di cambio codice (5-7, 11-13, "
         "18-20 celle prima) non ha celle libere: sposta il rallentamento o gli elementi che le occupano",
     "una finestra di tre celle prima dell'inizio di un rallentamento è tutta occupata",
     "rallentamento al metro 6000 con elementi ai metri 5650, 5700, 5750",
     "sposta uno di quegli elementi o il rallentamento"},
    {13, "cambio-codice-nel-rallentamento", false,
     "non c'è posto per un punto di cambio codice dentro il rallentamento o davanti al primo segnale dopo "
         "la sua fine: sposta il rallentamento o gli elementi vicini",
     "nessuna cella libera per un punto di cambio codice dentro il rallentamento o davanti al primo segnale dopo la sua fine",
     "un rallentamento lento pieno di elementi",
     "libera qualche cella nel rallentamento"},
    {15, "fuori-griglia", true,
     "la posizione cade oltre la fine della griglia (la linea più 7000 metri; per una stazione servono "
         "800 metri di margine, per gli altri elementi 100): correggi la posizione o \"lunghezza percorso\"",
     "una posizione cade oltre la griglia (la linea più 7000 metri; 800 metri di margine per una stazione, 100 per gli altri elementi); la lettura del suo file finisce lì",
     "segnale, 40000, ... con lunghezza percorso 12000",
     "segnale, 11000, ..."},
    {16, "segnale-cella-occupata", true,
     "il segnale cade in una cella già occupata da un altro elemento: spostalo in una cella libera "
         "(ogni cella copre 50 metri)",
     "un segnale cade nella cella di un elemento posato prima",
     "segnale, 3000, ... due volte",
     "segnale, 3050, ..."},
    {17, "avviso-cella-occupata", true,
     "la cella dell'avviso del rallentamento (1200 metri prima dell'inizio) è già occupata: sposta il "
         "rallentamento o l'elemento che occupa quella cella",
     "la cella dell'avviso del rallentamento (1200 metri prima dell'inizio) è occupata",
     "rallentamento, 4200, ... con un segnale al metro 3000",
     "rallentamento, 4300, ..."},
    {18, "inizio-cella-occupato", true,
     "la cella d'inizio del rallentamento è già occupata: sposta il rallentamento o l'elemento che occupa "
         "quella cella",
     "la cella d'inizio del rallentamento è occupata",
     "rallentamento, 3000, ... con un segnale al metro 3000",
     "rallentamento, 3100, ..."},
    {19, "fine-cella-occupata", true,
     "la cella di fine del rallentamento (inizio più lunghezza) è già occupata: cambia la lunghezza o "
         "sposta l'elemento che occupa quella cella",
     "la cella di fine del rallentamento (inizio più lunghezza) è occupata",
     "rallentamento, 3000, 30, 500, ... con un segnale al metro 3500",
     "rallentamento, 3000, 30, 600, ..."},
    {20, "approccio-cella-occupata", true,
     "una delle quattro celle prima dell'avviso del rallentamento è già occupata: sposta il rallentamento "
         "o metti a 0 il quinto valore della riga",
     "una delle quattro celle prima dell'avviso del rallentamento è occupata",
     "rallentamento, 4300, ... con un segnale al metro 3000",
     "rallentamento, 4300, ..., 0 (quinto valore a 0)"},
    {21, "indicatori-cella-occupata", true,
     "gli indicatori di velocità massima cadono in una cella già occupata da un altro elemento: spostali "
         "in una cella libera",
     "gli indicatori di velocità massima cadono nella cella di un elemento posato prima",
     "indicatori_vmax, 2000, ... due volte",
     "indicatori_vmax, 2050, ..."},
    {22, "stazioni-vicine", true,
     "la zona della stazione comincia meno di 350 metri dopo la fine della zona della stazione "
         "precedente: distanzia le stazioni ed elencale in ordine di posizione",
     "la zona di una stazione comincia meno di 350 metri dopo la fine della precedente, o le stazioni non sono in ordine",
     "stazione, 2000, 1, 400, ... poi stazione, 2300, 1, 400, ...",
     "stazione, 2000, ... poi stazione, 2800, ..."},
    {24, "stazione-in-testa", true,
     "la zona della stazione finisce entro i primi 100 metri della linea e non lascia posto al punto di "
         "fermata: sposta la stazione più avanti o allunga la sua zona",
     "la zona di una stazione finisce entro i primi 100 metri della linea",
     "stazione, 0, 1, 100, ...",
     "stazione, 500, 1, 400, ..."},
    {25, "valore-illeggibile", true,
     "guasto imprevisto nella lettura: un valore fuori dal suo tipo (oltre 255 in una colonna da un byte, "
         "oltre 32767 in una colonna intera), una riga con meno valori del dovuto o un file che non si legge: "
         "controlla la riga indicata e quelle vicine",
     "un valore che non è un numero, fuori dal suo tipo (oltre 255 in una colonna da un byte, oltre 32767 in una colonna intera), una riga con meno valori del dovuto o un file che manca o non si legge",
     "velocita,  1500m,  90",
     "velocita,  1500,  90"},
    {101, "linea-mancante", true,
     "il file della linea non esiste: crealo (\"binario export\" scrive un modello da cui partire)",
     "il file della linea ID_linea.txt non c'è nella cartella",
     "binario compile --dir d --line Nuova --train 1 senza d/Nuova_linea.txt",
     "binario export --dir d --line Nuova --train 1"},
    {102, "generale-mancante", true,
     "manca la sezione \"[generale]\" prima della fine del file (sull'ultima riga non conta): aggiungila "
          "in testa al file",
     "il file della linea non ha la sezione [generale] prima della sua ultima riga",
     "[general]",
     "[generale]"},
    {103, "curva-senza-curvatura", true,
     "la chiave della curva non ha una cifra da 1 a 6 che ne dia la curvatura (per esempio \"curvad5\" o "
         "\"curvas5\"), oppure il tracciato supera il metro 1000000: correggi la chiave o accorcia le curve",
     "la chiave di una curva non contiene una cifra da 1 a 6, o il tracciato supera il metro 1000000",
     "curvad,  1000,  200",
     "curvad5,  1000,  200"},
    {1250, "segni-formato-occupati", false,
     "il posto dei segni di formato è già occupato: la cella 1 (i primi 25 metri della linea) contiene "
           "un valore; togli o sposta l'elemento posto all'inizio della linea (per esempio un segnale al "
           "metro 0). Nessun file binario è stato scritto",
     "la cella 1 (i primi 25 metri) contiene un elemento: i segni di formato non hanno posto e nessun file binario è scritto",
     "segnale, 0, ...",
     "segnale, 100, ..."},
    {1251, "codici-gara-occupati", false,
     "il posto dei codici di gara è già occupato: la cella 1 (i primi 25 metri della linea) contiene un "
           "valore; togli o sposta l'elemento posto all'inizio della linea. Nessun file binario è stato "
           "scritto",
     "la cella 1 contiene un valore: i codici di gara non hanno posto e nessun file binario è scritto",
     "un elemento al metro 0",
     "spostalo oltre il metro 50"},
}};
// clang-format on

}  // namespace

std::span<const voce_codice> tabella_codici() { return kCodici; }

const voce_codice* voce_di_codice(int32_t codice) {
  for (const voce_codice& v : kCodici)
    if (v.codice == codice) return &v;
  return nullptr;
}

const voce_codice* voce_di_id(std::string_view id) {
  for (const voce_codice& v : kCodici)
    if (v.id == id) return &v;
  return nullptr;
}

bool codice_di_compilazione(int32_t codice) {
  return codice == 0 || (codice < 1250 && voce_di_codice(codice) != nullptr);
}

}  // namespace binario
