// What the three driver documents share: their file names, whole lines ended
// by CR LF, the end marker kept out of the file, an old file replaced, and a
// failed write handed back to the run.

#include <string>
#include <vector>

#include "base/nomi_file.h"
#include "documents/documento_scritto.h"

namespace binario {
namespace {

struct caso_documento {
  const char* nome;
  scrittore_documento scrivi;
  std::string (*nome_file)(const std::string&, const std::string&);
  size_t righe;
  bool solo_ascii;  // the notes alone carry accented letters
};

const std::vector<caso_documento> kDocumenti = {
    {"note", &Form1::dati_note, &nome_note, 29, false},
    {"rallentamenti", &Form1::dati_rallentamenti, &nome_rallentamenti, 46, true},
    {"scheda", &Form1::dati_scheda, &nome_scheda, 49, true},
};

using DocumentiTest = DocumentoTest;

TEST_F(DocumentiTest, OgniRigaFinisceConCrLfESostituisceIlFileVecchio) {
  for (const caso_documento& c : kDocumenti) {
    SCOPED_TRACE(c.nome);
    const std::string testo = scrivi(c.scrivi, c.nome_file(kNomeLinea, kNumeroTreno));
    ASSERT_GE(testo.size(), 2u);
    EXPECT_EQ(testo.substr(testo.size() - 2), "\r\n");
    EXPECT_EQ(testo.find(kFineRighe), std::string::npos);
    EXPECT_EQ(testo.find('~'), std::string::npos) << "bytes of the old file survived";
    const std::vector<std::string> righe = righe_del_testo(testo);
    EXPECT_EQ(righe.size(), c.righe);
    for (const std::string& riga : righe) {
      EXPECT_EQ(riga.find_first_of("\r\n"), std::string::npos) << riga;
      if (c.solo_ascii) {
        for (char ch : riga) EXPECT_LT(static_cast<unsigned char>(ch), 0x80u) << riga;
      }
    }
  }
}

TEST_F(DocumentiTest, IlFileCorrispondeRigaPerRigaAllaTabella) {
  const std::vector<tabella_righe> tabelle = {Form1::righe_note(), Form1::righe_rallentamenti(),
                                              Form1::righe_scheda()};
  for (size_t d = 0; d < kDocumenti.size(); ++d) {
    SCOPED_TRACE(kDocumenti[d].nome);
    const std::vector<std::string> righe =
        righe_del_testo(scrivi(kDocumenti[d].scrivi, kDocumenti[d].nome_file(kNomeLinea, kNumeroTreno)));
    ASSERT_EQ(tabelle[d][kDocumenti[d].righe], kFineRighe);
    ASSERT_EQ(righe.size(), kDocumenti[d].righe);
    for (size_t i = 0; i < righe.size(); ++i) EXPECT_EQ(righe[i], tabelle[d][i]) << "line " << i;
  }
}

TEST_F(DocumentiTest, UnFileDiSolaLetturaFermaLaScritturaEResta) {
  for (const caso_documento& c : kDocumenti) {
    SCOPED_TRACE(c.nome);
    const std::string percorso = form.percorso(c.nome_file(kNomeLinea, kNumeroTreno));
    fs.files()[percorso] = "vecchio\r\n";
    fs.set_read_only(percorso, true);
    Status s = (form.*c.scrivi)();
    EXPECT_FALSE(s.is_ok());
    EXPECT_EQ(s.numero(), kErroreAccesso);
    EXPECT_EQ(fs.files()[percorso], "vecchio\r\n");
  }
}

}  // namespace
}  // namespace binario
