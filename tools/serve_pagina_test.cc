// The diagnostics panel that `binario serve` adds to a page without one.
#include <gtest/gtest.h>

#include <string>

#include "tools/serve.h"

namespace binario {
namespace {

TEST(PaginaDalVivo, IlPannelloEntraPrimaDellaFineDelCorpo) {
  const std::string pagina = "<html><body><p>linea</p></body></html>";
  const std::string viva = pagina_dal_vivo(pagina, R"({"errors":[]})");
  const size_t pannello = viva.find("<section id=\"diagnostica\"");
  ASSERT_NE(pannello, std::string::npos);
  EXPECT_GT(pannello, viva.find("<p>linea</p>"));
  EXPECT_LT(pannello, viva.find("</body>"));
  EXPECT_NE(viva.find("new EventSource('/eventi')"), std::string::npos);
}

TEST(PaginaDalVivo, UnaPaginaConLeSueDiagnosticheRestaComE) {
  const std::string pagina = "<html><body><div id=\"diagnostica\"></div></body></html>";
  EXPECT_EQ(pagina_dal_vivo(pagina, "{}"), pagina);
}

// A source line of the author's text travels in the result: it must not be
// able to close the script element that holds it.
TEST(PaginaDalVivo, IlTestoDellAutoreNonChiudeLoScript) {
  const std::string viva =
      pagina_dal_vivo("<body></body>", R"({"source":"</script><script>alert(1)</script><!--"})");
  EXPECT_EQ(viva.find("</script><script>alert(1)"), std::string::npos);
  EXPECT_EQ(viva.find("<!--"), std::string::npos);
  EXPECT_NE(viva.find(R"(\u003c/script>\u003cscript>alert(1)\u003c/script>\u003c!--)"), std::string::npos);
}

}  // namespace
}  // namespace binario
