// The diagnostics panel of the live page, for a page that has none of its
// own: one element per diagnostic, redrawn from every `compilato` event.
#include <string>

#include "tools/serve.h"

namespace binario {

namespace {

// JSON inside a <script> element ends at the first "</": "<" is written as
// its escape, which every JSON reader reads back as the same text.
std::string json_in_script(const std::string& json) {
  std::string s;
  s.reserve(json.size());
  for (char c : json) {
    if (c == '<')
      s += "\\u003c";
    else
      s += c;
  }
  return s;
}

constexpr const char* kPannello = R"(<section id="diagnostica" aria-live="polite"></section>
<style>#diagnostica{font:13px monospace;margin:8px}#diagnostica [data-tipo=errore]{color:#a00}
#diagnostica [data-tipo=avviso]{color:#850}#diagnostica [data-tipo=guasto]{color:#a00;font-weight:bold}</style>
<script>
(function () {
  var pannello = document.getElementById('diagnostica');
  function riga(tipo, attributi, testo) {
    var d = document.createElement('div');
    d.setAttribute('data-tipo', tipo);
    for (var k in attributi) if (attributi[k] !== null && attributi[k] !== undefined) d.setAttribute(k, attributi[k]);
    d.textContent = testo;
    pannello.appendChild(d);
  }
  function dove(file, line) { return (file || '') + (line ? ':' + line : '') + ': '; }
  function disegna(r) {
    pannello.textContent = '';
    if (r.failure) riga('guasto', {}, r.failure);
    if (r.fatal) riga('errore', {'data-codice': r.fatal, 'data-metro': r.posizione_errore}, 'errore ' + r.fatal + ': ' + r.message);
    (r.errors || []).forEach(function (e) {
      riga('errore', {'data-codice': e.code, 'data-metro': e.position, 'data-file': e.file, 'data-riga': e.line},
           dove(e.file, e.line) + 'errore ' + e.code + (e.position !== null ? ' al metro ' + e.position : '') + ': ' + e.message);
    });
    (r.warnings || []).forEach(function (a) {
      riga('avviso', {'data-file': a.file, 'data-riga': a.line}, dove(a.file, a.line) + 'avviso: ' + a.message);
    });
    if (!pannello.firstChild) riga('ok', {}, 'nessun errore, nessun avviso');
  }
  disegna(JSON.parse(document.getElementById('risultato-iniziale').textContent));
  new EventSource('/eventi').addEventListener('compilato', function (ev) { disegna(JSON.parse(ev.data)); });
})();
</script>
)";

}  // namespace

std::string pagina_dal_vivo(const std::string& pagina, const std::string& risultato_json) {
  if (pagina.find("id=\"diagnostica\"") != std::string::npos) return pagina;
  std::string pannello = "<script type=\"application/json\" id=\"risultato-iniziale\">" +
                         json_in_script(risultato_json) + "</script>\n" + kPannello;
  const size_t fine = pagina.rfind("</body>");
  std::string risultato = pagina;
  risultato.insert(fine == std::string::npos ? risultato.size() : fine, pannello);
  return risultato;
}

}  // namespace binario
