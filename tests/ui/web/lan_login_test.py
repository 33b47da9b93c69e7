# SPDX-License-Identifier: MIT
"""The web page from the home network in a real browser (headless Chromium through chromedriver):
opened by the machine's own non-loopback address, it shows the sign-in form; the web password
lets the browser in, a wrong one is refused, and the password shows nowhere on the page.

Usage: lan_login_test.py <page address> <web password>
"""
import sys
import tempfile

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

address, password = sys.argv[1], sys.argv[2]
failures = 0


def check(what, condition):
    global failures
    print(("ok: " if condition else "FAIL: ") + what, flush=True)
    if not condition:
        failures += 1


def wait_for(what, condition, seconds=10):
    try:
        WebDriverWait(driver, seconds).until(lambda _: condition())
        check(what, True)
    except Exception:  # the time-out says the page never showed it
        check(what, False)


def sign_in(text):
    wait_for("the sign-in form is shown", lambda: driver.find_elements(By.ID, "password"))
    check("the sign-in form shows no channel rows", not driver.find_elements(By.CSS_SELECTOR, ".row"))
    field = driver.find_element(By.ID, "password")
    field.send_keys(text)
    field.submit()


profile = tempfile.mkdtemp(prefix="tvr-chromium-")
options = webdriver.ChromeOptions()
for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
             "--no-first-run", "--disable-component-update", "--disable-sync", "--lang=en-US",
             "--no-proxy-server", "--user-data-dir=" + profile, "--window-size=1280,1200"):
    options.add_argument(flag)
options.binary_location = "/usr/bin/chromium"
driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
try:
    driver.get(address)
    sign_in(password)
    wait_for("the web password lets the browser in", lambda: len(driver.find_elements(By.CSS_SELECTOR, ".row")) == 8)
    wait_for("the settings arrived", lambda: driver.find_elements(By.ID, "field4"))
    check("the page holds the password nowhere", password not in driver.page_source and
          password not in driver.execute_script("return document.body.innerText + JSON.stringify(localStorage)"))
    check("the password section is for the server's PC only",
          not driver.find_element(By.ID, "password-section").is_displayed())

    driver.delete_all_cookies()
    driver.get(address)
    sign_in(password + "x")
    wait_for("a wrong password is refused", lambda: "does not match" in driver.find_element(By.CSS_SELECTOR, "[role=alert]").text)
    check("and lets nobody in", not driver.find_elements(By.CSS_SELECTOR, ".row"))
    check("the refusal holds the password nowhere", password not in driver.page_source)
    sign_in(password)
    wait_for("right after it, even the right one waits out the lockout",
             lambda: "30 seconds" in driver.find_element(By.CSS_SELECTOR, "[role=alert]").text)
    check("nor does the lockout", password not in driver.page_source)
finally:
    driver.quit()
sys.exit(1 if failures else 0)
