#!/usr/bin/env python3
"""`binario serve` in a real browser: headless Chromium, driven by Selenium,
shows a new error on the open page as soon as a text is saved, and drops it
once the text is fixed, without the page being reloaded.

Usage: serve_browser_test.py BINARIO. Exits 77 (skipped) when Chromium is
missing; with Chromium but without its driver or Selenium it fails.
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile

SKIP = 77
CHROMIUM = shutil.which("chromium")
DRIVER = shutil.which("chromedriver")
try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.support.ui import WebDriverWait
except ImportError:
    webdriver = None

ATTESA = 20  # seconds; every wait ends by itself
SERVIZIO = "Valmera-Lusa_019-.txt"


def browser(cartella_profilo):
    opzioni = webdriver.ChromeOptions()
    opzioni.binary_location = CHROMIUM
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--user-data-dir=" + cartella_profilo):
        opzioni.add_argument(flag)
    return webdriver.Chrome(service=Service(executable_path=DRIVER), options=opzioni)


def errori(driver):
    """The codes of the errors the page shows, read in one step inside the
    page: an update may replace the list between two calls from here."""
    return driver.execute_script(
        "return Array.from(document.querySelectorAll('#diagnostica [data-tipo=errore]'),"
        " e => e.getAttribute('data-codice'));")


def main():
    if len(sys.argv) != 2:
        print("uso: serve_browser_test.py BINARIO", file=sys.stderr)
        return 2
    if not CHROMIUM:
        print("saltato: chromium non c'è")
        return SKIP
    if not (DRIVER and webdriver):
        print("chromium c'è ma mancano chromium-driver o python3-selenium (scripts/setup)", file=sys.stderr)
        return 1
    binario = sys.argv[1]
    radice = tempfile.mkdtemp(prefix="binario-browser-")
    server = driver = None
    try:
        cartella = os.path.join(radice, "autore")
        subprocess.run([binario, "export", "--dir", cartella], check=True, stdout=subprocess.DEVNULL)
        percorso = os.path.join(cartella, SERVIZIO)
        with open(percorso, "rb") as f:
            buono = f.read()
        # The first signal written twice: the second falls in the cell of the first.
        inizio = buono.index(b"segnale,")
        fine = buono.index(b"\r\n", inizio) + 2
        con_conflitto = buono[:fine] + buono[inizio:fine] + buono[fine:]

        server = subprocess.Popen([binario, "serve", "--dir", cartella, "--line", "Valmera-Lusa",
                                   "--train", "019", "--port", "0"],
                                  stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        indirizzo = server.stdout.readline().strip()
        assert indirizzo.startswith("http://127.0.0.1:"), indirizzo

        driver = browser(os.path.join(radice, "profilo"))
        driver.set_page_load_timeout(ATTESA)
        driver.get(indirizzo)
        attesa = WebDriverWait(driver, ATTESA)
        attesa.until(lambda d: d.find_elements(By.CSS_SELECTOR, "#diagnostica [data-tipo]"))
        assert errori(driver) == [], errori(driver)
        # Survives only if the page is updated in place, never reloaded.
        driver.execute_script("window.binario_marcatore = 'stessa pagina';")

        with open(percorso, "wb") as f:
            f.write(con_conflitto)
        attesa.until(lambda d: "16" in errori(d))
        assert driver.execute_script("return window.binario_marcatore;") == "stessa pagina"
        metro = driver.find_element(By.CSS_SELECTOR, "#diagnostica [data-tipo=errore][data-codice='16']") \
                      .get_attribute("data-metro")
        assert metro == "550", metro

        with open(percorso, "wb") as f:
            f.write(buono)
        attesa.until(lambda d: errori(d) == [])
        assert driver.execute_script("return window.binario_marcatore;") == "stessa pagina"
        print("ok: la pagina mostra l'errore 16 al metro 550 e poi lo toglie, senza ricaricarsi")
        return 0
    finally:
        if driver:
            driver.quit()
        if server:
            server.send_signal(signal.SIGTERM)
            try:
                stato = server.wait(timeout=ATTESA)
            except subprocess.TimeoutExpired:
                server.kill()
                stato = "non finito"
            if stato != 0:
                print(f"binario serve è finito con {stato}", file=sys.stderr)
                sys.exit(1)
        shutil.rmtree(radice, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
