#!/usr/bin/python3
"""Time to first route in headless Chromium on loopback (target < 500 ms).

The built program runs headless from a program folder of its own against
matrix-sim; headless Chromium (Selenium with chromium-driver) is started
first, so its own start is not counted. Each run then opens the panel's
address afresh, waits for the page to be live, taps an output and an input,
and stops the clock when the output's button shows the new input
(data-routed changed) and again when matrix-sim has received the frame.
Prints the median and the maximum of both over the runs.

Usage: panel_first_route.py <matrix-control> <matrix-sim> [runs]"""
import os
import shutil
import socket
import statistics
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.common.by import By
from selenium.common.exceptions import StaleElementReferenceException
from selenium.webdriver.support.ui import WebDriverWait


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for(predicate, what, timeout=10):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if predicate():
            return
        time.sleep(0.002)
    raise TimeoutError("timed out waiting for " + what)


def lines(path):
    with open(path) as f:
        return f.read().count("\n")


def main():
    program, sim = sys.argv[1], sys.argv[2]
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 10
    folder = tempfile.mkdtemp(prefix="mc-bench-")
    processes = []
    driver = None
    try:
        config = os.path.join(folder, "Matrix Config")
        os.makedirs(config)
        shutil.copy(program, folder)
        device = os.path.join(folder, "dev")
        sim_log = os.path.join(folder, "sim.log")
        web = free_port()
        with open(os.path.join(config, "MatrixConfig.con"), "w") as f:
            f.write(f"[Serial Port Map]\nCOM1={device}\n[Web Control]\nEnabled=1\nPort={web}\n")
        with open(sim_log, "w") as out:
            processes.append(subprocess.Popen([sim, "--link", device], stdout=out))
        wait_for(lambda: os.path.exists(device), "the simulated switcher")
        log = os.path.join(folder, "log")
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "QT_QPA_PLATFORM")}
        with open(log, "w") as err:
            processes.append(subprocess.Popen(
                [os.path.join(folder, "matrix-control"), "--headless"], stderr=err, env=env))
        wait_for(lambda: "Web control listening" in open(log).read(), "the web server")

        options = webdriver.ChromeOptions()
        for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--window-size=390,844"):
            options.add_argument(argument)
        driver = webdriver.Chrome(options=options)
        wait = WebDriverWait(driver, 30, poll_frequency=0.002,
                             # The panel redraws a list when it changes: an element
                             # found a moment ago may be gone; look again.
                             ignored_exceptions=(StaleElementReferenceException,))
        css = lambda selector: driver.find_element(By.CSS_SELECTOR, selector)
        attribute = lambda selector, name: css(selector).get_attribute(name)
        url = f"http://127.0.0.1:{web}/"
        driver.get(url)  # the first load warms nothing of ours: the program serves from memory
        wait_for(lambda: lines(sim_log) >= 3, "the start-up frames")  # path, power on, layer

        shown, sent = [], []
        for run in range(runs):
            output, target = run % 16, (run % 7) + 1
            driver.get("about:blank")
            before = lines(sim_log)
            started = time.monotonic()
            driver.get(url)
            wait.until(lambda d: attribute("#connection", "data-state") == "live")
            css(f'[data-output="{output}"]').click()
            css(f'[data-input="{target}"]').click()
            wait.until(lambda d: attribute(f'[data-output="{output}"]', "data-routed") == str(target))
            shown.append((time.monotonic() - started) * 1000)
            wait_for(lambda: lines(sim_log) > before, "the frame at the switcher")
            sent.append((time.monotonic() - started) * 1000)
            time.sleep(0.25)  # the next run's frame is not held back by the 205 ms pacing

        for name, figures in (("open to data-routed", shown), ("open to frame at switcher", sent)):
            print(f"time to first route, {name}: median {statistics.median(figures):.0f} ms, "
                  f"max {max(figures):.0f} ms over {runs} runs (target < 500 ms)")
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
