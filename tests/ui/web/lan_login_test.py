# SPDX-License-Identifier: MIT
"""The web page from the home network in a real browser (headless Chromium through chromedriver):
opened by the machine's own non-loopback address, it shows the sign-in form; the web password
lets the browser in, a wrong one is refused, and the password shows nowhere on the page.

Usage: lan_login_test.py <page address> <web password>
"""
import sys

from browser_checks import Checks, start_chromium
from selenium.webdriver.common.by import By

address, password = sys.argv[1], sys.argv[2]


def sign_in(text):
    wait_for("the sign-in form is shown", lambda: driver.find_elements(By.ID, "password"))
    check("the sign-in form shows no channel rows", not driver.find_elements(By.CSS_SELECTOR, ".row"))
    field = driver.find_element(By.ID, "password")
    field.send_keys(text)
    field.submit()


driver = start_chromium("1280,1200", "--no-proxy-server")
checks = Checks(driver)
check, wait_for = checks.check, checks.wait_for
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
sys.exit(1 if checks.failures else 0)
