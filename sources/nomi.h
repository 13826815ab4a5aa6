#pragma once
// The invented names of the built-in scenario, kept in this one place so that
// the description texts, the compiled header and the three driver documents
// agree. Every name is fictional: no real line, station or place.

#include <array>
#include <string_view>

namespace binario::nomi {

struct stazione {
  std::string_view nome;     // display name in capitals, as the header holds it
  std::string_view comune;   // the same name in ordinary capitalisation (train sheet)
};

// The thirteen stations from the departure to the terminus.
inline constexpr std::array<stazione, 13> kStazioni = {{
    {"VALMERA PORTA ALTA", "Valmera Porta Alta"},  // 18
    {"BORGO SAN CALIMO", "Borgo San Calimo"},      // 16
    {"CASTRELO", "Castrelo"},                      // 8
    {"PIANE DI RUO", "Piane di Ruo"},              // 12
    {"TORVELA", "Torvela"},                        // 7
    {"MOLINI DI TASSO", "Molini di Tasso"},        // 15
    {"FERLIA", "Ferlia"},                          // 6
    {"VILLA ORSENA", "Villa Orsena"},              // 12
    {"ROVERSANTE", "Roversante"},                  // 10
    {"LUSA MARINA", "Lusa Marina"},                // 11
    {"LUSA S. ELMIO", "Lusa S. Elmio"},            // 13
    {"LUSA CASTELLO", "Lusa Castello"},            // 13
    {"LUSA STAZIONE MARE", "Lusa Stazione Mare"},  // 18
}};

// The end places of the line, and the line's display name built from them.
inline constexpr std::string_view kCapolineaPartenza = "Valmera";
inline constexpr std::string_view kCapolineaArrivo = "Lusa";
inline constexpr std::string_view kNomeLineaEsteso = "Valmera - Lusa";
inline constexpr std::string_view kNomeLineaMaiuscolo = "VALMERA - LUSA";
// The abbreviated names of the train sheet's heading.
inline constexpr std::string_view kPartenzaBreve = "Valmera P. Alta";
inline constexpr std::string_view kArrivoBreve = "Lusa S. Mare";

// Places named on the sign boards (and in the train sheet).
inline constexpr std::string_view kExStazione = "SOLANTE";          // 7, board at 8800 m
inline constexpr std::string_view kExStazioneComune = "Solante";
inline constexpr std::string_view kViadottoDi = "ZEMBRIA";          // 7, board at 18150 m
inline constexpr std::string_view kViadottoDiComune = "Zembria";
inline constexpr std::string_view kViadotto = "CAMPI SERVALENA";    // 15, board at 24050 m
inline constexpr std::string_view kCanale = "CANALE DORBISINA";     // 16, board at 26174 m
inline constexpr std::string_view kCanaleComune = "Canale Dorbisina";

}  // namespace binario::nomi
