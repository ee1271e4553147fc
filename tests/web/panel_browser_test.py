#!/usr/bin/python3
"""The web panel in a real browser: the built program runs headless from a
program folder of its own against matrix-sim on a pseudo-terminal; headless
Chromium (driven by Selenium and chromium-driver) opens the panel at phone
size, routes by tapping an output and then an input, recalls a preset, and
sees a change made by a router-protocol client and one made by an HTTP
client appear. Exits 77 (skipped) when Chromium, its driver or Selenium is
missing.

Usage: panel_browser_test.py <matrix-control> <matrix-sim>"""
import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import urllib.request

try:
    from selenium import webdriver
    from selenium.webdriver.common.by import By
    from selenium.common.exceptions import StaleElementReferenceException
    from selenium.webdriver.support.ui import WebDriverWait
except ImportError:
    print("skipped: python3-selenium is not installed")
    sys.exit(77)
if not shutil.which("chromium") or not shutil.which("chromedriver"):
    print("skipped: chromium or chromium-driver is not installed")
    sys.exit(77)

MODE = """<?xml version="1.0" encoding="UTF-8"?>
<MatrixMode><ModeShow><SwitchNode1><InputPort>6</InputPort><OutputPort>0</OutputPort>
</SwitchNode1></ModeShow></MatrixMode>
"""


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for(predicate, what, timeout=10):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if predicate():
            return
        time.sleep(0.05)
    raise AssertionError("timed out waiting for " + what)


def main():
    program, sim = sys.argv[1], sys.argv[2]
    # A hang anywhere (the browser's start included) fails with a trace.
    signal.signal(signal.SIGALRM, lambda *_: (_ for _ in ()).throw(TimeoutError("over 90 s")))
    signal.alarm(90)
    folder = tempfile.mkdtemp(prefix="mc-web-")
    processes = []
    driver = None
    try:
        config = os.path.join(folder, "Matrix Config")
        os.makedirs(config)
        shutil.copy(program, folder)
        device = os.path.join(folder, "dev")
        web, router = free_port(), free_port()
        with open(os.path.join(config, "MatrixConfig.con"), "w") as f:
            f.write(f"[Serial Port Map]\nCOM1={device}\n[Web Control]\nEnabled=1\nPort={web}\n"
                    f"[Network Control]\nEnabled=1\nPort={router}\n")
        with open(os.path.join(config, "MatrixMode.xml"), "w") as f:
            f.write(MODE)
        processes.append(subprocess.Popen([sim, "--link", device], stdout=subprocess.DEVNULL))
        wait_for(lambda: os.path.exists(device), "the simulated switcher")
        log = open(os.path.join(folder, "log"), "w+")
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "QT_QPA_PLATFORM")}
        processes.append(subprocess.Popen([os.path.join(folder, "matrix-control"), "--headless"],
                                          stderr=log, env=env))
        wait_for(lambda: "Web control listening" in open(log.name).read(), "the web server")

        options = webdriver.ChromeOptions()
        for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--window-size=390,844"):
            options.add_argument(argument)
        driver = webdriver.Chrome(options=options)
        wait = WebDriverWait(driver, 30, poll_frequency=0.02,
                             # The panel redraws a list when it changes: an element
                             # found a moment ago may be gone; look again.
                             ignored_exceptions=(StaleElementReferenceException,))
        driver.get(f"http://127.0.0.1:{web}/")
        css = lambda selector: driver.find_element(By.CSS_SELECTOR, selector)
        attribute = lambda selector, name: css(selector).get_attribute(name)
        # A click that finds its element redrawn under it tries again.
        tap = lambda selector: wait.until(lambda d: css(selector).click() is None)
        wait.until(lambda d: attribute("#connection", "data-state") == "live")
        assert attribute("#device", "data-present") == "true"

        # Tap output 2, then input 4.
        started = time.monotonic()
        tap('[data-output="1"]')
        tap('[data-input="3"]')
        wait.until(lambda d: attribute('[data-output="1"]', "data-routed") == "3")
        print(f"tap to data-routed: {(time.monotonic() - started) * 1000:.0f} ms")

        # A preset.
        tap('[data-mode="Show"]')
        wait.until(lambda d: attribute('[data-mode="Show"]', "data-current") == "true")
        wait.until(lambda d: attribute('[data-output="0"]', "data-routed") == "6")

        # A router-protocol client routes input 6 to output 3.
        with socket.create_connection(("127.0.0.1", router)) as client:
            client.sendall(b"VIDEO OUTPUT ROUTING:\n2 5\n\n")
            wait.until(lambda d: attribute('[data-output="2"]', "data-routed") == "5")
        # An HTTP client routes input 8 to output 4.
        request = urllib.request.Request(f"http://127.0.0.1:{web}/api/v1/route", method="POST",
                                         data=json.dumps({"output": 3, "input": 7}).encode())
        started = time.monotonic()
        urllib.request.urlopen(request).read()
        wait.until(lambda d: attribute('[data-output="3"]', "data-routed") == "7")
        print(f"HTTP route to data-routed: {(time.monotonic() - started) * 1000:.0f} ms")
        print("panel routes, recalls a preset and follows other clients")
        return 0
    finally:
        if driver:
            driver.quit()
        for process in reversed(processes):
            process.terminate()
            try:
                process.wait(10)
            except subprocess.TimeoutExpired:
                process.kill()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
