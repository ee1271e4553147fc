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
import sys
import time
import urllib.request

try:
    import selenium  # noqa: F401 (only whether it is there)
except ImportError:
    print("skipped: python3-selenium is not installed")
    sys.exit(77)
if not shutil.which("chromium") or not shutil.which("chromedriver"):
    print("skipped: chromium or chromium-driver is not installed")
    sys.exit(77)

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from panel_rig import PanelRig  # noqa: E402

MODE = """<?xml version="1.0" encoding="UTF-8"?>
<MatrixMode><ModeShow><SwitchNode1><InputPort>6</InputPort><OutputPort>0</OutputPort>
</SwitchNode1></ModeShow></MatrixMode>
"""


def main():
    program, sim = sys.argv[1], sys.argv[2]
    # A hang anywhere (the browser's start included) fails with a trace.
    signal.signal(signal.SIGALRM, lambda *_: (_ for _ in ()).throw(TimeoutError("over 90 s")))
    signal.alarm(90)
    with PanelRig(program, sim, mode_file=MODE) as rig:
        wait, attribute, tap = rig.wait, rig.attribute, rig.tap
        rig.driver.get(rig.url)
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
        with socket.create_connection(("127.0.0.1", rig.router)) as client:
            client.sendall(b"VIDEO OUTPUT ROUTING:\n2 5\n\n")
            wait.until(lambda d: attribute('[data-output="2"]', "data-routed") == "5")
        # An HTTP client routes input 8 to output 4.
        request = urllib.request.Request(rig.url + "api/v1/route", method="POST",
                                         data=json.dumps({"output": 3, "input": 7}).encode())
        started = time.monotonic()
        urllib.request.urlopen(request).read()
        wait.until(lambda d: attribute('[data-output="3"]', "data-routed") == "7")
        print(f"HTTP route to data-routed: {(time.monotonic() - started) * 1000:.0f} ms")
        print("panel routes, recalls a preset and follows other clients")
        return 0


if __name__ == "__main__":
    sys.exit(main())
