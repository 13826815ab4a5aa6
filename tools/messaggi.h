#pragma once
// What each compile error code means to a scenario author, in Italian, and
// what to do about it. The simulator only ever sees the number.

#include <cstdint>
#include <span>
#include <string_view>

namespace binario {

// Every code the reader, the placement operations and the post-pass record.
std::span<const int32_t> codici_compilazione();

// The message for a compile code or for a failed final check (1250, 1251);
// a code the compile never records gets a generic text.
std::string_view messaggio_errore(int32_t codice);

// Code 25 when the service description text is missing: the generic text
// of 25 would send the author looking for a bad value.
inline constexpr std::string_view kMessaggioServizioMancante =
    "il file del servizio non esiste: crealo accanto al file della linea (\"binario export\" scrive un "
    "modello da cui partire)";

inline constexpr std::string_view kMessaggioCodiceSconosciuto =
    "errore di compilazione senza descrizione: questo codice non è tra quelli che la compilazione registra";

// Text of a warning about a first field that matches no key.
inline constexpr std::string_view kMessaggioChiaveIgnorata =
    "non corrisponde a nessuna chiave e non è un'intestazione di sezione: la riga è stata ignorata; controlla "
    "come è scritta la chiave";
// The same when that field is a number: most likely a value too many on the
// line, which the reader takes for the key of a further line.
inline constexpr std::string_view kMessaggioValoreInPiu =
    "è un valore in più: è stato letto come la chiave di una riga nuova e ignorato; controlla quanti valori "
    "vuole la chiave di questa riga";

}  // namespace binario
