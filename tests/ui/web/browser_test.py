# SPDX-License-Identifier: MIT
"""The web page in a real browser (headless Chromium through chromedriver): sign in with the
token, choose channel 2's folder and see a real client list it, see a missing folder's problem
and a client's refused request appear live, see a slow fetch's stream appear, move and go, change
a setting, switch the language, and take screenshots at desktop and phone widths.

Usage: browser_test.py <sign-in address> <work folder> <client command...> -- <settings file> <screenshots>
       <video port>
"""
import os
import subprocess
import sys
import time
import urllib.parse

from browser_checks import Checks, start_chromium
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support import expected_conditions as ready

address, work = sys.argv[1], sys.argv[2]
split = sys.argv.index("--")
client = sys.argv[3:split]
settings_file, screenshots, video_port = sys.argv[split + 1], sys.argv[split + 2], sys.argv[split + 3]


def events_text():
    return driver.find_element(By.ID, "events").text


def apply():
    driver.execute_script("document.getElementById('channels-result').textContent = ''")
    driver.find_element(By.ID, "apply").click()
    wait_for("apply answered", lambda: driver.find_element(By.ID, "channels-result").text != "")


def stream_rows():
    # Read in one script: the rows are replaced each second, so an element found first may be
    # gone by the time its text is asked for.
    return driver.execute_script(
        "return [...document.querySelectorAll('#stream-rows tr.stream')].map((row) => row.innerText)")


def field_label(index):
    return driver.find_element(By.CSS_SELECTOR, "label[for='field%d']" % index).text


def watch_a_slow_fetch():
    """A real client holds a login while curl fetches a large file slowly: the page shows the
    stream with its file, a position that moves and a rate, then shows it gone once curl stops."""
    big = os.path.join(work, "videos", "big.mp4")
    with open(big, "wb") as file:
        file.truncate(64 << 20)
    hold_output = os.path.join(work, "hold.txt")
    with open(hold_output, "w") as output:
        hold = subprocess.Popen(client + ["hold"], stdout=output, stderr=subprocess.STDOUT)
    fetch = None
    try:
        for _ in range(200):
            if "#RET_OK()" in open(hold_output).read():
                break
            time.sleep(0.05)
        check("the client holds a login", "#RET_OK()" in open(hold_output).read())
        url = "http://127.0.0.1:%s/%s" % (video_port, urllib.parse.quote(big))
        fetch = subprocess.Popen(["curl", "-sS", "--limit-rate", "2M", "-o", os.devnull, url])
        wait_for("the stream appears with its file", lambda: any("big.mp4" in row for row in stream_rows()))
        first = stream_rows()
        wait_for("its position moves without reloading", lambda: stream_rows() and stream_rows() != first)
        check("it shows a rate", any(row.endswith("/s") for row in stream_rows()))
        fetch.terminate()
        fetch.wait(10)
        wait_for("the stream goes when the fetch stops", lambda: stream_rows() == [])
        check("the page says no stream goes out",
              driver.find_element(By.ID, "stream-rows").text == "none")
    finally:
        if fetch and fetch.poll() is None:
            fetch.kill()
        hold.terminate()
        hold.wait(10)
        os.remove(big)


def settings_text():
    with open(settings_file, "rb") as file:
        return file.read().decode("utf-16", errors="replace")


def client_list():
    return subprocess.run(client + ["list", "1"], capture_output=True, text=True, timeout=30)


driver = start_chromium("1280,1700")
checks = Checks(driver)
check, wait_for = checks.check, checks.wait_for
try:
    driver.get(address)
    wait_for("the page shows the eight rows", lambda: len(driver.find_elements(By.CSS_SELECTOR, ".row")) == 8)
    check("the token left the address bar", "token" not in driver.current_url)
    check("the page speaks the browser's English", driver.find_element(By.ID, "h-channels").text == "Channels")
    check("the settings fields' labels are English", field_label(4) == "Extensions")

    # Channel 2 through the folder chooser: open it at the work folder, enter "videos", choose it.
    path = driver.find_element(By.ID, "path1")
    path.clear()
    path.send_keys(work)
    driver.find_element(By.ID, "folder1").click()
    wait_for("the chooser lists the work folder's sub-folders",
             lambda: "videos" in driver.find_element(By.ID, "chooser-list").text)
    check("the chooser lists no files", "not-a-folder.txt" not in driver.find_element(By.ID, "chooser-list").text)
    driver.find_element(By.XPATH, "//ul[@id='chooser-list']//button[text()='videos']").click()
    wait_for("the chooser entered videos", lambda: driver.find_element(By.ID, "chooser-path").text.endswith("/videos"))
    driver.find_element(By.ID, "chooser-select").click()
    check("the chosen folder is in the row", path.get_attribute("value") == work + "/videos")
    apply()
    listing = client_list()
    check("a real client lists channel 2's video", "clip.mp4" in listing.stdout)

    # A folder that is not there: the problem shows in the events and the problem list, live.
    path = driver.find_element(By.ID, "path1")
    path.clear()
    path.send_keys(work + "/missing", Keys.ENTER)
    wait_for("the missing folder appears in the events", lambda: work + "/missing" in events_text())
    wait_for("and in the problems", lambda: work + "/missing" in driver.find_element(By.ID, "problems").text)
    client_list()
    wait_for("the client's refused request appears without reloading", lambda: "refused" in events_text())
    watch_a_slow_fetch()

    # A setting: the extensions field, saved through the dialog's rules.
    field = driver.find_element(By.ID, "field4")
    field.clear()
    field.send_keys("mp4 mkv")
    driver.find_element(By.ID, "settings-ok").click()
    wait_for("the settings were saved", lambda: driver.find_element(By.ID, "settings-result").text == "Saved")
    # The settings are written on the writer's thread, a moment after the page is told they were taken.
    wait_for("the settings file holds the new extensions", lambda: "pcExt=mp4 mkv" in settings_text())
    driver.execute_script("window.scrollTo(0, 0)")
    driver.save_screenshot(os.path.join(screenshots, "web-desktop.png"))

    # The language switch, by the keyboard.
    driver.find_element(By.ID, "language").send_keys(Keys.ENTER)
    wait_for("the page switched to Japanese", lambda: driver.find_element(By.ID, "h-channels").text == "チャンネル")
    check("and so did the settings fields' labels", field_label(4) == "動画ファイル拡張子")
    check("no result stays in the other language", driver.find_element(By.ID, "channels-result").text == "")
    driver.set_window_size(390, 2400)
    driver.execute_script("window.scrollTo(0, 0)")
    driver.save_screenshot(os.path.join(screenshots, "web-phone.png"))
    check("the phone width needs no sideways scrolling",
          driver.execute_script("return document.documentElement.scrollWidth <= window.innerWidth"))
finally:
    driver.quit()
sys.exit(1 if checks.failures else 0)
