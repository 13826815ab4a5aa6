#!/usr/bin/env python3
"""Time from a change in the editor to the diagnostics of both texts.

Exports the built-in pair, starts `binario lsp`, opens both texts and sends
full-text changes of the service text, alternately broken and mended, timing
each from the write of didChange to the read of the second publishDiagnostics,
and the server's processor time per change (Linux: /proc).

    python3 bench/lsp_latenza.py build/bin/binario [changes]
"""
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time


def scrivi(proc, messaggio):
    corpo = json.dumps(messaggio).encode()
    proc.stdin.write(b"Content-Length: %d\r\n\r\n" % len(corpo) + corpo)
    proc.stdin.flush()


def leggi(proc):
    lunghezza = None
    while True:
        riga = proc.stdout.readline()
        if not riga:
            raise EOFError("the server closed its output")
        riga = riga.strip()
        if not riga:
            break
        nome, _, valore = riga.partition(b":")
        if nome.lower() == b"content-length":
            lunghezza = int(valore)
    return json.loads(proc.stdout.read(lunghezza))


def attendi_diagnostiche(proc, quante):
    uri = set()
    while len(uri) < quante:
        m = leggi(proc)
        if m.get("method") == "textDocument/publishDiagnostics":
            uri.add(m["params"]["uri"])


def cpu_ms(pid):
    """The server's own processor time: on a loaded machine the wall time
    measures the other processes too."""
    with open(f"/proc/{pid}/stat") as f:
        campi = f.read().rsplit(")", 1)[1].split()
    return (int(campi[11]) + int(campi[12])) * 1000 / os.sysconf("SC_CLK_TCK")


def main():
    exe = sys.argv[1]
    modifiche = int(sys.argv[2]) if len(sys.argv) > 2 else 200
    with tempfile.TemporaryDirectory() as cartella:
        subprocess.run([exe, "export", "--dir", cartella], check=True, stdout=subprocess.DEVNULL)
        testi = {}
        for nome in ("Valmera-Lusa_linea.txt", "Valmera-Lusa_019-.txt"):
            with open(os.path.join(cartella, nome), "rb") as f:
                testi["file://" + os.path.join(cartella, nome)] = f.read().decode("cp1252")
        proc = subprocess.Popen([exe, "lsp"], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        scrivi(proc, {"jsonrpc": "2.0", "id": 1, "method": "initialize", "params": {"capabilities": {}}})
        leggi(proc)
        scrivi(proc, {"jsonrpc": "2.0", "method": "initialized", "params": {}})
        for uri, testo in testi.items():
            scrivi(proc, {"jsonrpc": "2.0", "method": "textDocument/didOpen",
                          "params": {"textDocument": {"uri": uri, "languageId": "binario", "version": 1, "text": testo}}})
            attendi_diagnostiche(proc, 2)
        uri_servizio, testo = list(testi.items())[1]
        rotto = testo.replace("\nsegnale,", "\nsegnaIe,", 1)
        tempi = []
        cpu_prima = cpu_ms(proc.pid)
        for n in range(modifiche):
            nuovo = rotto if n % 2 == 0 else testo
            inizio = time.perf_counter()
            scrivi(proc, {"jsonrpc": "2.0", "method": "textDocument/didChange",
                          "params": {"textDocument": {"uri": uri_servizio, "version": n + 2},
                                     "contentChanges": [{"text": nuovo}]}})
            attendi_diagnostiche(proc, 2)
            tempi.append((time.perf_counter() - inizio) * 1000)
        cpu = (cpu_ms(proc.pid) - cpu_prima) / modifiche
        scrivi(proc, {"jsonrpc": "2.0", "id": 2, "method": "shutdown"})
        leggi(proc)
        scrivi(proc, {"jsonrpc": "2.0", "method": "exit"})
        proc.wait()
    tempi.sort()
    print(f"{modifiche} changes, change to diagnostics of both texts (ms): "
          f"median {statistics.median(tempi):.2f}, p95 {tempi[int(len(tempi) * 0.95) - 1]:.2f}, max {tempi[-1]:.2f}; "
          f"server processor time {cpu:.2f} per change")


if __name__ == "__main__":
    main()
