# SPDX-License-Identifier: MIT
"""Figures for bench/web_browser_bench.sh: the page ready (its state shown) after each navigation,
and a client's refused request from its start to its line in the page's event list.

Usage: web_browser_bench.py <sign-in address> <rounds> <client command...>
"""
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

address, rounds, client = sys.argv[1], int(sys.argv[2]), sys.argv[3:]


def report(what, figures, budget):
    figures.sort()
    print("%-44s median %.1f ms, 95th %.1f ms, max %.1f ms (budget: %s)" % (
        what, figures[len(figures) // 2], figures[len(figures) * 95 // 100], figures[-1], budget))


options = webdriver.ChromeOptions()
for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
             "--no-first-run", "--disable-component-update", "--disable-sync", "--lang=en-US",
             "--user-data-dir=" + tempfile.mkdtemp(prefix="tvr-chromium-")):
    options.add_argument(flag)
options.binary_location = "/usr/bin/chromium"
driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
wait = WebDriverWait(driver, 10)
ready_mark = "return (performance.getEntriesByName('tvr-ready')[0] || {}).startTime"
try:
    driver.get(address)
    wait.until(lambda _: driver.execute_script(ready_mark) is not None)
    ready = []
    for _ in range(rounds):
        driver.get(address.split("?")[0])
        wait.until(lambda _: driver.execute_script(ready_mark) is not None)
        ready.append(driver.execute_script(ready_mark))
    report("page ready in the browser (state shown)", ready, "100 ms")

    shown = []
    for _ in range(rounds):
        count = len(driver.find_elements(By.CSS_SELECTOR, "#events li"))
        started = time.time() * 1000
        subprocess.run(client + ["list", "1"], capture_output=True, timeout=30)
        wait.until(lambda _: len(driver.find_elements(By.CSS_SELECTOR, "#events li")) > count)
        at = driver.execute_script(
            "return Number(document.querySelector('#events li:last-child').dataset.shownAt)")
        shown.append(at - started)
    report("client's refused request shown in the page", shown, "200 ms")
finally:
    driver.quit()
