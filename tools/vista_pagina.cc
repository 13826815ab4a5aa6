// The page itself: a fixed frame of HTML, CSS and script around the model.
// The script draws everything from the model, so the same page serves a file
// written once and a live view that swaps the model in place.
#include <string>

#include "tools/vista.h"

namespace binario {

namespace {

// A Content-Security-Policy keeps the page from reaching anything but its
// own server (the live view's /eventi and /vista.json).
constexpr const char* kTesta = R"HTML(<!DOCTYPE html>
<html lang="it"><head><meta charset="utf-8">
<meta http-equiv="Content-Security-Policy" content="default-src 'none'; script-src 'unsafe-inline'; style-src 'unsafe-inline'; img-src data:; connect-src 'self'">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>binario view</title>
<style>
body{font:14px/1.4 system-ui,sans-serif;margin:0;color:#222;background:#fafafa}
header{padding:8px 16px;background:#234;color:#fff}
header h1{font-size:18px;margin:0}
header p{margin:2px 0 0}
#stato-vivo{float:right;font-size:12px}
main{padding:8px 16px}
.riquadro{position:relative;background:#fff;border:1px solid #ccc;margin-bottom:8px}
#mappa{display:block;width:100%;height:58vh;min-height:360px;cursor:grab;touch-action:none}
#profilo{display:block;width:100%;height:440px;cursor:crosshair;touch-action:none}
.comandi{position:absolute;top:6px;right:6px;display:flex;gap:4px}
.comandi button{font:inherit;padding:2px 8px}
#barra-scala{position:absolute;left:10px;bottom:10px;font-size:12px}
#barra-scala div{height:6px;border:2px solid #222;border-top:none}
#nord{position:absolute;left:12px;top:8px;font-weight:bold;font-size:16px}
#suggerimento{position:absolute;pointer-events:none;background:#fffbe6;border:1px solid #998;padding:4px 6px;font-size:12px;white-space:pre}
#diagnostica ul{margin:4px 0;padding-left:20px}
#diagnostica li{cursor:pointer}
#diagnostica li.errore{color:#a00}
#diagnostica li.avviso{color:#850}
#diagnostica li.guasto{color:#a00;font-weight:bold}
#diagnostica pre{margin:2px 0 6px;background:#f3f3f3;padding:4px;color:#222;white-space:pre-wrap}
table{border-collapse:collapse;margin:4px 0 16px;font-size:13px}
th,td{border:1px solid #ddd;padding:2px 6px;text-align:left}
tbody tr{cursor:pointer}
tbody tr:hover{background:#eef}
h2{font-size:16px;margin:12px 0 4px}
svg text{font-family:system-ui,sans-serif}
</style></head>
<body>
<header><span id="stato-vivo"></span><h1 id="titolo">binario view</h1><p id="sommario"></p></header>
<main>
<section id="diagnostica"></section>
<div class="riquadro"><svg id="mappa" xmlns="http://www.w3.org/2000/svg"></svg>
<div id="nord">N &#8593;</div><div id="barra-scala"><span></span><div></div></div>
<div class="comandi"><button id="piu" title="Ingrandisci">+</button><button id="meno" title="Riduci">&#8722;</button><button id="tutto" title="Tutta la linea">tutto</button></div></div>
<div class="riquadro"><svg id="profilo" xmlns="http://www.w3.org/2000/svg"></svg><div id="suggerimento" hidden></div>
<div class="comandi"><button id="p-tutto" title="Tutto il profilo">tutto</button></div></div>
<section id="tabelle"></section>
</main>
)HTML";

constexpr const char* kScript = R"JS(
'use strict';
const NS = 'http://www.w3.org/2000/svg';
let M = JSON.parse(document.getElementById('modello').textContent);
const vista = {mappa: null, profilo: null};
const mappa = document.getElementById('mappa');
const profilo = document.getElementById('profilo');
const sugg = document.getElementById('suggerimento');

function svg(tag, attr, padre) {
  const e = document.createElementNS(NS, tag);
  for (const k in attr) e.setAttribute(k, attr[k]);
  if (padre) padre.appendChild(e);
  return e;
}
function html(tag, testo, padre) {
  const e = document.createElement(tag);
  if (testo !== undefined && testo !== null) e.textContent = testo;
  if (padre) padre.appendChild(e);
  return e;
}
function elenco(x) { return Array.isArray(x) ? x : []; }

// The kilometre the driver reads: the kilometre reference in force (the
// last one at or before the metre) counts on from its own value.
function km(metro) {
  let r = null;
  for (const p of elenco(M.progressive)) if (p.metro <= metro && (!r || p.metro > r.metro)) r = p;
  const m = r ? r.chilometro + (metro - r.metro) : metro;
  return (m / 1000).toFixed(3);
}
function ora(s) {
  const d = n => String(n).padStart(2, '0');
  return d(Math.floor(s / 3600)) + ':' + d(Math.floor(s / 60) % 60) + ':' + d(s % 60);
}
function valore(tratti, metro) {
  let a = 0, b = tratti.length - 1;
  while (a <= b) {
    const c = (a + b) >> 1;
    if (metro < tratti[c][0]) b = c - 1; else if (metro >= tratti[c][1]) a = c + 1; else return tratti[c][2];
  }
  return null;
}
function quota(metro) {
  const q = elenco(M.quota_cm);
  if (!q.length) return null;
  let a = 0, b = q.length - 1;
  if (metro <= q[0][0]) return q[0][1] / 100;
  if (metro >= q[b][0]) return q[b][1] / 100;
  while (b - a > 1) { const c = (a + b) >> 1; if (q[c][0] <= metro) a = c; else b = c; }
  return (q[a][1] + (q[b][1] - q[a][1]) * (metro - q[a][0]) / (q[b][0] - q[a][0])) / 100;
}
// A metre's place on the drawn plan, between the kept points around it.
function punto(metro) {
  const p = M.tracciato ? M.tracciato.punti : [];
  if (!p.length || metro < p[0][0] || metro > p[p.length - 1][0]) return null;
  let a = 0, b = p.length - 1;
  while (b - a > 1) { const c = (a + b) >> 1; if (p[c][0] <= metro) a = c; else b = c; }
  const t = p[b][0] === p[a][0] ? 0 : (metro - p[a][0]) / (p[b][0] - p[a][0]);
  return [(p[a][1] + (p[b][1] - p[a][1]) * t) / 100, (p[a][2] + (p[b][2] - p[a][2]) * t) / 100];
}
function diagnosi() {
  const d = M.diagnostica;
  if (!d) return [];
  const out = [];
  for (const e of elenco(d.errors))
    out.push({tipo: 'errore', codice: e.code, metro: e.position, file: e.file, riga: e.line, sorgente: e.source,
              testo: 'errore ' + e.code + (e.position !== null ? ' al metro ' + e.position : '') + ': ' + e.message +
                     (e.final ? ' [resta in codice_errore]' : '')});
  for (const a of elenco(d.warnings))
    out.push({tipo: 'avviso', codice: null, metro: null, file: a.file, riga: a.line, sorgente: a.source, testo: 'avviso: ' + a.message});
  if (d.fatal) out.push({tipo: 'errore', codice: d.fatal, metro: null, file: null, riga: null, sorgente: null, testo: 'errore ' + d.fatal + ': ' + d.message});
  if (d.failure) out.push({tipo: 'guasto', codice: null, metro: null, file: null, riga: null, sorgente: null, testo: d.failure});
  return out;
}

// ---- map -----------------------------------------------------------------
function dimensioni(e) { return [e.clientWidth || 800, e.clientHeight || 400]; }
function adatta() {
  const p = M.tracciato ? M.tracciato.punti : [];
  let x0 = 0, x1 = 100, y0 = 0, y1 = 100;
  if (p.length) {
    x0 = x1 = p[0][1]; y0 = y1 = p[0][2];
    for (const q of p) { x0 = Math.min(x0, q[1]); x1 = Math.max(x1, q[1]); y0 = Math.min(y0, q[2]); y1 = Math.max(y1, q[2]); }
    x0 /= 100; x1 /= 100; y0 /= 100; y1 /= 100;
  }
  const [w, h] = dimensioni(mappa);
  vista.mappa = {cx: (x0 + x1) / 2, cy: (y0 + y1) / 2, mpp: Math.max((x1 - x0 + 1) / w, (y1 - y0 + 1) / h) * 1.1};
}
// North up and to scale: one user unit is one metre both ways, y flipped.
function applicaVista() {
  const v = vista.mappa, [w, h] = dimensioni(mappa);
  mappa.setAttribute('viewBox', [v.cx - w * v.mpp / 2, -v.cy - h * v.mpp / 2, w * v.mpp, h * v.mpp].join(' '));
  mappa.dataset.metriPerPixel = v.mpp;
  for (const e of mappa.querySelectorAll('[data-r]')) e.setAttribute('r', e.dataset.r * v.mpp);
  for (const e of mappa.querySelectorAll('[data-fs]')) e.setAttribute('font-size', e.dataset.fs * v.mpp);
  for (const e of mappa.querySelectorAll('[data-dx]')) {
    e.setAttribute('x', +e.dataset.x0 + e.dataset.dx * v.mpp);
    e.setAttribute('y', +e.dataset.y0 + e.dataset.dy * v.mpp);
  }
  barraScala(v.mpp);
}
function barraScala(mpp) {
  const massimo = 150 * mpp;
  let passo = Math.pow(10, Math.floor(Math.log10(massimo)));
  for (const f of [5, 2]) if (passo * f <= massimo) { passo *= f; break; }
  const b = document.getElementById('barra-scala');
  b.dataset.metri = passo;
  b.dataset.pixel = passo / mpp;
  b.querySelector('div').style.width = (passo / mpp) + 'px';
  b.querySelector('span').textContent = passo >= 1000 ? passo / 1000 + ' km' : passo + ' m';
}
function tratto(a, b) {
  const p = M.tracciato ? M.tracciato.punti : [];
  const pa = punto(a), pb = punto(b);
  if (!pa || !pb) return null;
  let d = 'M' + pa[0] + ',' + (-pa[1]);
  for (const q of p) if (q[0] > a && q[0] < b) d += 'L' + q[1] / 100 + ',' + (-q[2] / 100);
  return d + 'L' + pb[0] + ',' + (-pb[1]);
}
function posizione(f, metro) { return (f.x_cm !== undefined) ? [f.x_cm / 100, f.y_cm / 100] : punto(metro); }
function marca(g, tipo, metro, xy, forma, colore, r) {
  const e = svg('g', {'data-tipo': tipo, 'data-metro': metro}, g);
  if (forma === 'quadro') svg('circle', {cx: xy[0], cy: -xy[1], 'data-r': r, r: 1, fill: colore, stroke: '#fff', 'stroke-width': 0.5, 'vector-effect': 'non-scaling-stroke'}, e);
  else svg('circle', {cx: xy[0], cy: -xy[1], 'data-r': r, r: 1, fill: colore, stroke: '#000', 'stroke-width': 1, 'vector-effect': 'non-scaling-stroke'}, e);
  return e;
}
function etichetta(g, xy, testo, dx, dy, colore) {
  const t = svg('text', {x: xy[0], y: -xy[1], 'data-x0': xy[0], 'data-y0': -xy[1], 'data-dx': dx, 'data-dy': dy, 'data-fs': 12, fill: colore || '#123'}, g);
  t.textContent = testo;
  return t;
}
function disegnaMappa() {
  mappa.textContent = '';
  if (!vista.mappa) adatta();
  const p = M.tracciato ? M.tracciato.punti : [];
  if (!p.length) {
    const t = svg('text', {x: 0, y: 0, 'data-x0': 0, 'data-y0': 0, 'data-dx': -100, 'data-dy': 0, 'data-fs': 16}, mappa);
    t.textContent = 'nessun tracciato: la linea è stata compilata senza il file del tracciato';
  } else {
    svg('path', {d: 'M' + p.map(q => q[1] / 100 + ',' + (-q[2] / 100)).join('L'), fill: 'none', stroke: '#333', 'stroke-width': 2.5,
                 'vector-effect': 'non-scaling-stroke', 'data-tipo': 'binario'}, mappa);
  }
  const g = svg('g', {}, mappa);
  for (const s of elenco(M.montagne)) {
    const d = tratto(s.metro, s.fine);
    if (d) svg('path', {d, fill: 'none', stroke: '#b86', 'stroke-opacity': 0.6, 'stroke-width': 9, 'vector-effect': 'non-scaling-stroke',
                        'data-tipo': 'montagna', 'data-metro': s.metro}, g);
  }
  for (const r of elenco(M.rallentamenti)) {
    const e = svg('g', {'data-tipo': 'rallentamento', 'data-metro': r.metro}, g);
    const d = tratto(r.metro, r.fine);
    if (d) svg('path', {d, fill: 'none', stroke: '#e80', 'stroke-width': 6, 'vector-effect': 'non-scaling-stroke'}, e);
    for (const [m, c] of [[r.avviso, '#fc0'], [r.metro, '#e80'], [r.fine, '#a50']]) {
      const xy = m === null ? null : punto(m);
      if (xy) svg('circle', {cx: xy[0], cy: -xy[1], 'data-r': 4, r: 1, fill: c, stroke: '#000', 'vector-effect': 'non-scaling-stroke'}, e);
    }
    const xy = punto(r.metro);
    if (xy) etichetta(e, xy, r.velocita + ' km/h', 6, 14, '#a50');
  }
  for (const p of elenco(M.progressive)) {
    const xy = posizione(p, p.metro);
    if (!xy) continue;
    const e = marca(g, 'progressiva', p.metro, xy, 'tondo', '#09c', 4);
    etichetta(e, xy, 'km ' + (p.chilometro / 1000).toFixed(3), 6, -6, '#09c');
  }
  for (const b of elenco(M.indicatori)) {
    const xy = posizione(b, b.metro);
    if (!xy) continue;
    const e = marca(g, 'indicatori', b.metro, xy, 'tondo', '#2a2', 4);
    etichetta(e, xy, b.sinistra.join('/'), 6, 4, '#171');
  }
  for (const c of elenco(M.cartelli)) {
    const xy = posizione(c, c.metro);
    if (!xy) continue;
    const e = marca(g, 'cartello', c.metro, xy, 'tondo', '#84c', 4);
    etichetta(e, xy, c.testo.replace(/[()]+/g, ' ').replace(/\s+/g, ' ').trim(), 6, 4, '#539');
  }
  for (const s of elenco(M.segnali)) {
    const xy = posizione(s, s.metro);
    if (xy) marca(g, 'segnale', s.metro, xy, 'tondo', '#d22', 3);
  }
  for (const s of elenco(M.stazioni)) {
    const xy = posizione(s, s.metro);
    if (!xy) continue;
    const e = marca(g, 'stazione', s.metro, xy, 'tondo', '#24c', 6);
    etichetta(e, xy, s.nome, 9, 4, '#124').setAttribute('font-weight', 'bold');
  }
  for (const d of diagnosi()) {
    if (d.metro === null) continue;
    const xy = punto(Math.max(0, d.metro));
    const e = svg('g', {'data-tipo': 'errore', 'data-metro': d.metro}, g);
    if (xy) {
      svg('circle', {cx: xy[0], cy: -xy[1], 'data-r': 9, r: 1, fill: 'none', stroke: '#f00', 'stroke-width': 3, 'vector-effect': 'non-scaling-stroke'}, e);
      etichetta(e, xy, d.testo.slice(0, 60), 11, -10, '#c00');
    }
  }
  svg('circle', {id: 'cursore-mappa', cx: 0, cy: 0, r: 0, 'data-r': 5, fill: '#f0f', visibility: 'hidden'}, mappa);
  applicaVista();
}
function vaiA(metro) {
  const xy = punto(metro);
  if (xy && vista.mappa) { vista.mappa.cx = xy[0]; vista.mappa.cy = xy[1]; applicaVista(); }
  if (vista.profilo) {
    const l = vista.profilo.m1 - vista.profilo.m0;
    vista.profilo.m0 = metro - l / 2; vista.profilo.m1 = metro + l / 2;
    disegnaProfilo();
  }
}

// ---- profile ---------------------------------------------------------------
const SIN = 90, DES = 12;
const FASCE = [['quota', 10, 100, 'quota m'], ['pendenza', 118, 70, 'pendenza ‰'], ['velocita', 196, 70, 'velocità km/h'],
               ['aderenza', 274, 30, 'aderenza'], ['curve', 312, 50, 'curva d/s'], ['marche', 370, 40, 'stazioni, segnali']];
function fineProfilo() { return Math.max(M.fine_profili || 0, M.lunghezza || 0, 1); }
function disegnaProfilo() {
  profilo.textContent = '';
  if (!vista.profilo) vista.profilo = {m0: 0, m1: fineProfilo()};
  const v = vista.profilo, [w] = dimensioni(profilo);
  const X = m => SIN + (m - v.m0) / (v.m1 - v.m0) * (w - SIN - DES);
  const dentro = (a, b) => b >= v.m0 && a <= v.m1;
  const clip = svg('clipPath', {id: 'taglio'}, svg('defs', {}, profilo));
  svg('rect', {x: SIN, y: 0, width: w - SIN - DES, height: 440}, clip);
  const g = svg('g', {'clip-path': 'url(#taglio)'});
  for (const [nome, y, h, testo] of FASCE) {
    svg('rect', {x: SIN, y, width: w - SIN - DES, height: h, fill: '#f7f7f7', stroke: '#ddd'}, profilo);
    svg('text', {x: 4, y: y + h / 2 + 4, 'font-size': 11, fill: '#555'}, profilo).textContent = testo;
  }
  profilo.appendChild(g);
  // Altitude, scaled to what is visible.
  const q = elenco(M.quota_cm).map(p => [p[0], p[1] / 100]).filter((p, i, a) => dentro(p[0], (a[i + 1] || p)[0]) || (i > 0 && dentro(a[i - 1][0], p[0])));
  if (q.length) {
    let lo = Infinity, hi = -Infinity;
    for (const p of q) { lo = Math.min(lo, p[1]); hi = Math.max(hi, p[1]); }
    if (hi - lo < 1) { hi += 0.5; lo -= 0.5; }
    const Y = z => 10 + 95 - (z - lo) / (hi - lo) * 90;
    svg('path', {d: 'M' + q.map(p => X(p[0]) + ',' + Y(p[1])).join('L'), fill: 'none', stroke: '#642', 'stroke-width': 1.5, 'data-tipo': 'quota'}, g);
    svg('text', {x: SIN + 4, y: 22, 'font-size': 10, fill: '#642'}, profilo).textContent = hi.toFixed(1) + ' m';
    svg('text', {x: SIN + 4, y: 106, 'font-size': 10, fill: '#642'}, profilo).textContent = lo.toFixed(1) + ' m';
  }
  const gradino = (tratti, y, h, scala, colore, tipo) => {
    let d = '';
    for (const t of elenco(tratti)) if (dentro(t[0], t[1])) d += 'M' + X(t[0]) + ',' + (y + h - t[2] * scala) + 'H' + X(t[1]);
    svg('path', {d, fill: 'none', stroke: colore, 'stroke-width': 2, 'data-tipo': tipo}, g);
  };
  let pmax = 1;
  for (const t of elenco(M.pendenza)) pmax = Math.max(pmax, Math.abs(t[2]));
  let dp = '';
  for (const t of elenco(M.pendenza)) if (dentro(t[0], t[1]) && t[2] !== 0) {
    const h = t[2] / pmax * 32;
    dp += 'M' + X(t[0]) + ',153H' + X(t[1]) + 'V' + (153 - h) + 'H' + X(t[0]) + 'Z';
  }
  svg('path', {d: dp, fill: '#c96', stroke: 'none', 'data-tipo': 'pendenza'}, g);
  svg('line', {x1: SIN, x2: w - DES, y1: 153, y2: 153, stroke: '#999'}, profilo);
  let vmax = 10;
  for (const t of elenco(M.velocita)) vmax = Math.max(vmax, t[2]);
  gradino(M.velocita, 196, 66, 62 / vmax, '#06c', 'velocita');
  let amax = 1;
  for (const t of elenco(M.aderenza)) amax = Math.max(amax, t[2]);
  gradino(M.aderenza, 274, 28, 24 / amax, '#393', 'aderenza');
  let dc = '';
  for (const t of elenco(M.curve)) if (dentro(t[0], t[1])) {
    const h = Math.sign(t[2]) * Math.min(22, 4 + Math.abs(t[2]) * 6000);
    dc += 'M' + X(t[0]) + ',337H' + Math.max(X(t[1]), X(t[0]) + 1) + 'V' + (337 - h) + 'H' + X(t[0]) + 'Z';
  }
  svg('path', {d: dc, fill: '#76a', 'data-tipo': 'curve'}, g);
  svg('text', {x: w - DES - 4, y: 324, 'font-size': 10, 'text-anchor': 'end', fill: '#76a'}, profilo).textContent = 'destra';
  svg('text', {x: w - DES - 4, y: 358, 'font-size': 10, 'text-anchor': 'end', fill: '#76a'}, profilo).textContent = 'sinistra';
  for (const s of elenco(M.montagne)) if (dentro(s.metro, s.fine))
    svg('rect', {x: X(s.metro), y: 401, width: Math.max(1, X(s.fine) - X(s.metro)), height: 7, fill: '#b86', 'data-tipo': 'montagna', 'data-metro': s.metro}, g);
  for (const r of elenco(M.rallentamenti)) if (dentro(r.avviso === null ? r.metro : r.avviso, r.fine)) {
    const e = svg('g', {'data-tipo': 'rallentamento', 'data-metro': r.metro}, g);
    svg('rect', {x: X(r.metro), y: 196, width: Math.max(2, X(r.fine) - X(r.metro)), height: 70, fill: '#e80', 'fill-opacity': 0.25}, e);
    svg('path', {d: 'M' + X(r.metro) + ',' + (262 - r.velocita * 62 / vmax) + 'H' + Math.max(X(r.fine), X(r.metro) + 2), stroke: '#e60', 'stroke-width': 2}, e);
    if (r.avviso !== null) svg('path', {d: 'M' + X(r.avviso) + ',196v70', stroke: '#fc0', 'stroke-width': 2}, e);
  }
  const linea = (tipo, metro, y1, y2, colore, w2) => {
    if (!dentro(metro, metro)) return null;
    const e = svg('g', {'data-tipo': tipo, 'data-metro': metro}, g);
    svg('line', {x1: X(metro), x2: X(metro), y1, y2, stroke: colore, 'stroke-width': w2}, e);
    return e;
  };
  for (const s of elenco(M.segnali)) linea('segnale', s.metro, 372, 392, '#d22', 2);
  for (const b of elenco(M.indicatori)) linea('indicatori', b.metro, 392, 408, '#2a2', 2);
  for (const c of elenco(M.cartelli)) linea('cartello', c.metro, 392, 408, '#84c', 2);
  for (const p of elenco(M.progressive)) linea('progressiva', p.metro, 372, 408, '#09c', 1);
  for (const s of elenco(M.stazioni)) {
    const e = linea('stazione', s.metro, 10, 408, '#24c', 1);
    if (!e) continue;
    e.firstChild.setAttribute('stroke-dasharray', '3 3');
    svg('rect', {x: X(s.inizio_zona), y: 392, width: Math.max(2, X(s.fine_zona) - X(s.inizio_zona)), height: 8, fill: '#24c', 'fill-opacity': 0.5}, e);
  }
  for (const d of diagnosi()) if (d.metro !== null) {
    const e = linea('errore', d.metro, 10, 408, '#f00', 2);
    if (e) svg('circle', {cx: X(d.metro), cy: 382, r: 5, fill: '#f00'}, e);
  }
  // Kilometre axis with about eight ticks.
  const l = v.m1 - v.m0;
  const grezzo = l / 8, base = Math.pow(10, Math.floor(Math.log10(grezzo)));
  const passo = base * (grezzo / base >= 5 ? 5 : grezzo / base >= 2 ? 2 : 1);
  for (let m = Math.ceil(v.m0 / passo) * passo; m <= v.m1; m += passo) {
    svg('line', {x1: X(m), x2: X(m), y1: 410, y2: 416, stroke: '#555'}, profilo);
    svg('text', {x: X(m), y: 430, 'font-size': 11, 'text-anchor': 'middle', fill: '#333'}, profilo).textContent = km(m);
  }
  if (M.lunghezza && dentro(M.lunghezza, M.lunghezza))
    svg('line', {x1: X(M.lunghezza), x2: X(M.lunghezza), y1: 10, y2: 408, stroke: '#000', 'stroke-dasharray': '8 4'}, g);
  svg('line', {id: 'cursore-profilo', x1: 0, x2: 0, y1: 10, y2: 408, stroke: '#f0f', visibility: 'hidden'}, profilo);
}
function metroProfilo(ev) {
  const v = vista.profilo, [w] = dimensioni(profilo), r = profilo.getBoundingClientRect();
  return v.m0 + (ev.clientX - r.left - SIN) / (w - SIN - DES) * (v.m1 - v.m0);
}
function mostra(ev) {
  const m = Math.round(metroProfilo(ev));
  const cur = document.getElementById('cursore-profilo');
  if (m < 0 || m > fineProfilo()) { sugg.hidden = true; if (cur) cur.setAttribute('visibility', 'hidden'); return; }
  const righe = ['metro ' + m + '   km ' + km(m)];
  const q = quota(m), p = valore(elenco(M.pendenza), m), v = valore(elenco(M.velocita), m), a = valore(elenco(M.aderenza), m);
  const c = valore(elenco(M.curve), m);
  if (q !== null) righe.push('quota ' + q.toFixed(1) + ' m');
  if (p !== null) righe.push('pendenza ' + p + ' ‰');
  if (v !== null) righe.push('velocità ' + v + ' km/h');
  if (a !== null) righe.push('aderenza ' + a);
  righe.push(c === null ? 'rettilineo' : 'curva ' + (c > 0 ? 'destra' : 'sinistra') + ', raggio ' + Math.round(1 / Math.abs(c)) + ' m');
  for (const s of elenco(M.stazioni)) if (m >= s.inizio_zona && m <= s.fine_zona) righe.push('stazione ' + s.nome);
  for (const r of elenco(M.rallentamenti)) if (m >= r.metro && m <= r.fine) righe.push('rallentamento ' + r.velocita + ' km/h');
  sugg.textContent = righe.join('\n');
  sugg.hidden = false;
  const r = profilo.getBoundingClientRect();
  sugg.style.left = Math.min(ev.clientX - r.left + 14, r.width - 220) + 'px';
  sugg.style.top = '14px';
  const X = ev.clientX - r.left;
  if (cur) { cur.setAttribute('x1', X); cur.setAttribute('x2', X); cur.setAttribute('visibility', 'visible'); }
  const cm = document.getElementById('cursore-mappa'), xy = punto(m);
  if (cm && xy) { cm.setAttribute('cx', xy[0]); cm.setAttribute('cy', -xy[1]); cm.setAttribute('visibility', 'visible'); }
}

// ---- tables and diagnostics --------------------------------------------------
function tabella(titolo, intestazioni, righe, metroDi) {
  const t = document.getElementById('tabelle');
  html('h2', titolo + ' (' + righe.length + ')', t);
  if (!righe.length) return;
  const tab = html('table', null, t), th = html('tr', null, html('thead', null, tab)), tb = html('tbody', null, tab);
  for (const i of intestazioni) html('th', i, th);
  for (const r of righe) {
    const tr = html('tr', null, tb);
    for (const c of r.celle) html('td', c, tr);
    tr.addEventListener('click', () => vaiA(r.metro));
  }
}
function disegnaTabelle() {
  document.getElementById('tabelle').textContent = '';
  tabella('Stazioni', ['n.', 'nome', 'tipo', 'metro', 'km', 'zona', 'fermata', 'orario'],
          elenco(M.stazioni).map(s => ({metro: s.metro, celle: [s.voce, s.nome, s.tipo, s.metro, km(s.metro),
            s.inizio_zona + ' – ' + s.fine_zona, s.ferma ? 'sì' : 'no', ora(s.orario)]})));
  tabella('Segnali', ['metro', 'km', 'aspetti', 'codice', 'tempo'],
          elenco(M.segnali).map(s => ({metro: s.metro, celle: [s.metro, km(s.metro), s.aspetti.join(' '), s.codice, s.tempo]})));
  tabella('Rallentamenti', ['avviso', 'inizio', 'fine', 'km', 'velocità km/h'],
          elenco(M.rallentamenti).map(r => ({metro: r.metro, celle: [r.avviso === null ? '—' : r.avviso, r.metro, r.fine,
            km(r.metro) + ' – ' + km(r.fine), r.velocita]})));
  tabella('Indicatori di velocità massima', ['metro', 'km', 'prima tabella km/h', 'seconda km/h', 'strisce'],
          elenco(M.indicatori).map(b => ({metro: b.metro, celle: [b.metro, km(b.metro), b.sinistra.join(' / '), b.destra.join(' / '), b.strisce]})));
  tabella('Cartelli indicatori', ['metro', 'km', 'testo'],
          elenco(M.cartelli).map(c => ({metro: c.metro, celle: [c.metro, km(c.metro), c.testo]})));
  tabella('Tratti montagna', ['inizio', 'fine', 'tipo'],
          elenco(M.montagne).map(s => ({metro: s.metro, celle: [s.metro, s.fine, s.tipo]})));
  tabella('Progressive chilometriche', ['metro', 'chilometro', 'terzo valore'],
          elenco(M.progressive).map(p => ({metro: p.metro, celle: [p.metro, (p.chilometro / 1000).toFixed(3), p.terzo]})));
  tabella('Punti di cambio codice', ['metro', 'codice'],
          elenco(M.codici).map(c => ({metro: c.metro, celle: [c.metro, c.codice === null ? '—' : c.codice]})));
}
function disegnaDiagnostica() {
  const s = document.getElementById('diagnostica');
  s.textContent = '';
  const d = diagnosi();
  if (!M.diagnostica) { html('p', 'Pagina costruita dai soli file binari: nessuna diagnostica.', s); return; }
  const err = d.filter(x => x.tipo !== 'avviso').length, avv = d.length - err;
  html('h2', 'Diagnostica: ' + err + (err === 1 ? ' errore, ' : ' errori, ') + avv + (avv === 1 ? ' avviso' : ' avvisi'), s);
  const ul = html('ul', null, s);
  if (!d.length) html('li', 'nessun errore, nessun avviso', ul).dataset.tipo = 'ok';
  for (const x of d) {
    const li = html('li', null, ul);
    li.className = x.tipo;
    li.dataset.tipo = x.tipo;
    if (x.codice !== null) li.dataset.codice = x.codice;
    if (x.metro !== null) li.dataset.metro = x.metro;
    li.textContent = (x.file ? x.file + (x.riga ? ':' + x.riga : '') + ': ' : '') + x.testo;
    let pre = null;
    li.addEventListener('click', () => {
      if (x.sorgente) {
        if (pre) { pre.remove(); pre = null; } else { pre = html('pre', x.riga + ' | ' + x.sorgente); li.after(pre); }
      }
      if (x.metro !== null) vaiA(x.metro);
    });
  }
}
function disegna() {
  document.title = 'binario view: ' + (M.linea || '') + ' ' + (M.treno || '');
  document.getElementById('titolo').textContent = (M.linea || '') + ' · treno ' + (M.treno || '');
  const n = elenco(M.stazioni).length;
  document.getElementById('sommario').textContent = 'linea di ' + (M.lunghezza || 0) + ' m, ' + n + ' stazioni, ' +
      elenco(M.segnali).length + ' segnali, ' + elenco(M.rallentamenti).length + ' rallentamenti; dai ' +
      (M.origine === 'binari' ? 'file binari' : 'testi di descrizione') +
      (M.tracciato ? '; tracciato semplificato entro ' + M.tracciato.tolleranza + ' m' : '');
  disegnaDiagnostica();
  disegnaMappa();
  disegnaProfilo();
  disegnaTabelle();
  document.body.dataset.disegnato = (+document.body.dataset.disegnato || 0) + 1;
}

// ---- pan and zoom ------------------------------------------------------------
function zoomMappa(f, px, py) {
  const v = vista.mappa, [w, h] = dimensioni(mappa);
  const mx = v.cx + (px - w / 2) * v.mpp, my = v.cy - (py - h / 2) * v.mpp;
  v.mpp *= f;
  v.cx = mx - (px - w / 2) * v.mpp; v.cy = my + (py - h / 2) * v.mpp;
  applicaVista();
}
mappa.addEventListener('wheel', ev => {
  ev.preventDefault();
  const r = mappa.getBoundingClientRect();
  zoomMappa(ev.deltaY > 0 ? 1.25 : 0.8, ev.clientX - r.left, ev.clientY - r.top);
}, {passive: false});
let trascina = null;
mappa.addEventListener('pointerdown', ev => { trascina = [ev.clientX, ev.clientY]; mappa.setPointerCapture(ev.pointerId); });
mappa.addEventListener('pointermove', ev => {
  if (!trascina) return;
  vista.mappa.cx -= (ev.clientX - trascina[0]) * vista.mappa.mpp;
  vista.mappa.cy += (ev.clientY - trascina[1]) * vista.mappa.mpp;
  trascina = [ev.clientX, ev.clientY];
  applicaVista();
});
mappa.addEventListener('pointerup', () => { trascina = null; });
document.getElementById('piu').onclick = () => { const [w, h] = dimensioni(mappa); zoomMappa(0.5, w / 2, h / 2); };
document.getElementById('meno').onclick = () => { const [w, h] = dimensioni(mappa); zoomMappa(2, w / 2, h / 2); };
document.getElementById('tutto').onclick = () => { adatta(); applicaVista(); };
document.getElementById('p-tutto').onclick = () => { vista.profilo = null; disegnaProfilo(); };
profilo.addEventListener('wheel', ev => {
  ev.preventDefault();
  const v = vista.profilo, m = metroProfilo(ev), f = ev.deltaY > 0 ? 1.25 : 0.8;
  const l = Math.max(100, (v.m1 - v.m0) * f);
  const t = (m - v.m0) / (v.m1 - v.m0);
  v.m0 = m - t * l; v.m1 = v.m0 + l;
  disegnaProfilo();
  mostra(ev);
}, {passive: false});
let trascinaP = null;
profilo.addEventListener('pointerdown', ev => { trascinaP = ev.clientX; profilo.setPointerCapture(ev.pointerId); });
profilo.addEventListener('pointermove', ev => {
  if (trascinaP !== null) {
    const v = vista.profilo, [w] = dimensioni(profilo), d = (ev.clientX - trascinaP) / (w - SIN - DES) * (v.m1 - v.m0);
    v.m0 -= d; v.m1 -= d; trascinaP = ev.clientX;
    disegnaProfilo();
  }
  mostra(ev);
});
profilo.addEventListener('pointerup', () => { trascinaP = null; });
profilo.addEventListener('pointerleave', () => { sugg.hidden = true; });
window.addEventListener('resize', () => { applicaVista(); disegnaProfilo(); });

disegna();
if (DAL_VIVO) {
  const stato = document.getElementById('stato-vivo');
  stato.textContent = 'in ascolto';
  const eventi = new EventSource('/eventi');
  eventi.addEventListener('compilato', () => {
    fetch('/vista.json', {cache: 'no-store'}).then(r => r.json()).then(m => {
      M = m;
      disegna();
      stato.textContent = 'aggiornato alle ' + new Date().toLocaleTimeString();
    }).catch(e => { stato.textContent = 'aggiornamento fallito: ' + e; });
  });
  eventi.onerror = () => { stato.textContent = 'server non raggiungibile: riprovo'; };
}
)JS";

// Inside <script> only "</" could end the element early; escaping every "<"
// (and the two characters HTML treats specially) as a JSON \u escape keeps
// the text valid JSON that parses to the same value.
std::string json_incorporabile(const nlohmann::ordered_json& modello) {
  const std::string testo = modello.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  std::string out;
  out.reserve(testo.size() + testo.size() / 50);
  for (char c : testo) {
    if (c == '<') out += "\\u003c";
    else if (c == '>') out += "\\u003e";
    else if (c == '&') out += "\\u0026";
    else out += c;
  }
  return out;
}

}  // namespace

std::string pagina_vista(const nlohmann::ordered_json& modello, bool dal_vivo) {
  std::string pagina = kTesta;
  pagina += "<script type=\"application/json\" id=\"modello\">";
  pagina += json_incorporabile(modello);
  pagina += "</script>\n<script>const DAL_VIVO = ";
  pagina += dal_vivo ? "true" : "false";
  pagina += ";";
  pagina += kScript;
  pagina += "</script>\n</body></html>\n";
  return pagina;
}

}  // namespace binario
