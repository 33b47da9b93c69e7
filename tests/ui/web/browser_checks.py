# SPDX-License-Identifier: MIT
"""What the browser tests share: headless Chromium through Debian's chromedriver, in a profile of
its own, and checks that print each result and count the failures."""
import tempfile

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.support.ui import WebDriverWait


def start_chromium(window_size, *flags):
    """Headless Chromium in English, with nothing of its own going to the network."""
    options = webdriver.ChromeOptions()
    for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
                 "--no-first-run", "--disable-component-update", "--disable-sync", "--lang=en-US",
                 "--user-data-dir=" + tempfile.mkdtemp(prefix="tvr-chromium-"), "--window-size=" + window_size,
                 *flags):
        options.add_argument(flag)
    options.binary_location = "/usr/bin/chromium"
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


class Checks:
    def __init__(self, driver):
        self.driver = driver
        self.failures = 0

    def check(self, what, condition):
        print(("ok: " if condition else "FAIL: ") + what, flush=True)
        if not condition:
            self.failures += 1

    def wait_for(self, what, condition, seconds=10):
        try:
            WebDriverWait(self.driver, seconds).until(lambda _: condition())
            self.check(what, True)
        except Exception:  # the time-out says the page never showed it
            self.check(what, False)
