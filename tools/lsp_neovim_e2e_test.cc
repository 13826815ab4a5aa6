// The language server under a real client: Neovim's built-in one, headless.

#include <cstdlib>

#include "tools/processo_test.h"

namespace binario::test {
namespace {

constexpr const char* kNvim = "/usr/bin/nvim";

class NeovimLsp : public CartellaTemporanea {};

TEST_F(NeovimLsp, DiagnosticaSullaRigaECorrezioneRapidaCheLaToglie) {
  if (!std::filesystem::exists(kNvim)) GTEST_SKIP() << "Neovim non installato";
  const auto dir = cartella("testi");
  ASSERT_EQ(esegui(BINARIO_EXE, {"export", "--dir", dir.string()}).stato, 0);
  const auto servizio = dir / "Valmera-Lusa_019-.txt";
  std::string testo = leggi(servizio);
  const size_t dove = testo.find("\nsegnale,");
  ASSERT_NE(dove, std::string::npos);
  testo.replace(dove + 1, 7, "segnaIe");
  scrivi(servizio, testo);
  const auto riga = std::count(testo.begin(), testo.begin() + static_cast<long>(dove) + 1, '\n');

  const auto esito_file = radice_ / "esito.txt";
  // Neovim keeps its state and the client's log under these: not in the user's home.
  for (const char* v : {"XDG_STATE_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_CONFIG_HOME"})
    ::setenv(v, radice_.c_str(), 1);
  ::setenv("BINARIO_LSP_EXE", BINARIO_EXE, 1);
  ::setenv("BINARIO_LSP_FILE", servizio.c_str(), 1);
  ::setenv("BINARIO_LSP_OUT", esito_file.c_str(), 1);
  const esito_processo e =
      esegui(kNvim, {"--headless", "--clean", "-u", BINARIO_SOURCE_DIR "/tools/lsp_neovim_prova.lua"});
  EXPECT_EQ(e.stato, 0) << e.err;

  const std::string esito = leggi(esito_file);
  EXPECT_NE(esito.find("diagnostica " + std::to_string(riga) + " 0 7 2 \"segnaIe\""), std::string::npos) << esito;
  EXPECT_NE(esito.find("riga segnale,"), std::string::npos) << esito;
  EXPECT_NE(esito.find("rimaste 0\nfatto"), std::string::npos) << esito;
  // The server compiles in memory: the author's text on disk is as it was.
  EXPECT_EQ(leggi(servizio), testo);
}

}  // namespace
}  // namespace binario::test
