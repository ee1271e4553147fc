#!/usr/bin/python3
"""The web panel in a real browser: the built program runs headless from a
program folder of its own against matrix-sim on a pseudo-terminal; headless
Chromium (driven by Selenium and chromium-driver) opens the panel in Chinese
at phone size, routes by tapping an output and then an input, filters with
the search field, opens an output another client has locked (read-only, its
owner named) and breaks the lock, saves, overwrites, recalls and deletes a
preset, sees changes of a router-protocol client and an HTTP client appear,
routes in the grid, and shows the banners while the switcher and then the
program are gone. Exits 77 (skipped) when Chromium, its driver or Selenium is
missing.

Usage: panel_browser_test.py <matrix-control> <matrix-sim>"""
import http.client
import json
import os
import shutil
import signal
import socket
import sys
import time

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
from selenium.webdriver.common.by import By  # noqa: E402
from selenium.webdriver.support.expected_conditions import alert_is_present  # noqa: E402

MODE = """<?xml version="1.0" encoding="UTF-8"?>
<MatrixMode><ModeShow><SwitchNode1><InputPort>6</InputPort><OutputPort>0</OutputPort>
</SwitchNode1></ModeShow></MatrixMode>
"""


def post(rig, path, body, source="127.0.0.1"):
    """An HTTP client's request from `source`; its status and answer."""
    connection = http.client.HTTPConnection("127.0.0.1", rig.web, source_address=(source, 0))
    connection.request("POST", "/api/v1/" + path, json.dumps(body))
    answer = connection.getresponse()
    return answer.status, json.loads(answer.read())


def main():
    program, sim = sys.argv[1], sys.argv[2]
    # A hang anywhere (the browser's start included) fails with a trace.
    signal.signal(signal.SIGALRM, lambda *_: (_ for _ in ()).throw(TimeoutError("over 110 s")))
    signal.alarm(110)
    names = ([f"In {k + 1}" for k in range(16)],
             [f"Out {k + 1}" for k in range(4)] + ["Desk"] + [f"Out {k + 1}" for k in range(5, 16)])
    with PanelRig(program, sim, mode_file=MODE, ports=(16, 16), names=names) as rig:
        wait, attribute, tap, driver = rig.wait, rig.attribute, rig.tap, rig.driver
        shown = lambda selector: [e for e in driver.find_elements(By.CSS_SELECTOR, selector)
                                  if e.is_displayed()]

        def answer_dialog(text=None):
            """Accepts the page's question (typing `text` into a prompt); its words."""
            dialog = wait.until(alert_is_present())
            words = dialog.text
            if text is not None:
                dialog.send_keys(text)
            dialog.accept()
            return words

        driver.get(rig.url + "?lang=zh")
        wait.until(lambda d: attribute("#connection", "data-state") == "live")
        assert attribute("#device", "data-present") == "true"
        assert not shown('[role="alert"]'), "no banner while all is well"
        assert [b.text for b in shown("[data-tab]")] == ["输出", "预设", "网格"]

        # Tap output 2, then input 4.
        started = time.monotonic()
        tap('#outputs [data-output="1"]')
        tap('[data-input="3"]')
        wait.until(lambda d: attribute('[data-output="1"]', "data-routed") == "3")
        print(f"tap to data-routed: {(time.monotonic() - started) * 1000:.0f} ms")

        # The search field leaves the outputs whose number or name matches.
        rig.css("#search").send_keys("desk")
        wait.until(lambda d: [e.get_attribute("data-output") for e in shown("[data-output]")]
                   == ["4"])
        rig.css("#search").clear()
        rig.css("#search").send_keys("1")
        wait.until(lambda d: len(shown("[data-output]")) == 8)  # 1, 10..16
        rig.css("#search").clear()
        rig.css("#search").send_keys(" ")  # an input event that empties the query
        wait.until(lambda d: len(shown("[data-output]")) == 16)

        # Another client's lock: the sheet shows, names the owner, offers the break.
        assert post(rig, "lock", {"output": 2, "op": "lock"}, "127.0.0.2")[0] == 200
        wait.until(lambda d: attribute('[data-output="2"]', "data-locked") == "other")
        tap('[data-output="2"]')
        wait.until(lambda d: "127.0.0.2" in rig.css("#lockOwner").text)
        inputs = driver.find_elements(By.CSS_SELECTOR, "#inputs [data-input]")
        assert inputs and all(not e.is_enabled() and e.get_attribute("aria-disabled") == "true"
                              for e in inputs + [rig.css("#closeOutput")])
        tap("#force")
        assert "127.0.0.2" in answer_dialog()
        wait.until(lambda d: attribute('[data-output="2"]', "data-locked") == "none")
        tap("#cancel")

        # Presets: save, overwrite, recall (asked, the changes counted), delete.
        tap('[data-tab="modes"]')
        tap("#saveMode")
        answer_dialog("Late")
        wait.until(lambda d: shown('[data-mode="Late"]'))
        tap("#saveMode")
        answer_dialog("Late")
        assert "Late" in answer_dialog(), "an existing name asks to overwrite"
        tap('[data-mode="Show"]')
        assert answer_dialog().startswith("调用预设 Show？\n将改变 1 个输出")
        wait.until(lambda d: attribute('[data-mode="Show"]', "data-current") == "true")
        wait.until(lambda d: attribute('[data-output="0"]', "data-routed") == "6")
        tap('[data-delete="Late"]')
        assert answer_dialog() == "删除预设 Late？"
        wait.until(lambda d: not driver.find_elements(By.CSS_SELECTOR, '[data-mode="Late"]'))
        tap('[data-tab="outputs"]')

        # A router-protocol client routes input 6 to output 3.
        with socket.create_connection(("127.0.0.1", rig.router)) as client:
            client.sendall(b"VIDEO OUTPUT ROUTING:\n2 5\n\n")
            wait.until(lambda d: attribute('[data-output="2"]', "data-routed") == "5")
        # An HTTP client routes input 8 to output 4.
        started = time.monotonic()
        assert post(rig, "route", {"output": 3, "input": 7})[0] == 200
        wait.until(lambda d: attribute('[data-output="3"]', "data-routed") == "7")
        print(f"HTTP route to data-routed: {(time.monotonic() - started) * 1000:.0f} ms")

        # The layer buttons show the table they name; under both, a differing
        # audio is marked.
        assert post(rig, "route", {"output": 3, "input": 2, "layer": "audio"})[0] == 200
        assert post(rig, "layer", {"layer": 2})[0] == 200
        wait.until(lambda d: attribute('[data-output="3"]', "data-routed") == "2")
        assert post(rig, "layer", {"layer": 3})[0] == 200
        wait.until(lambda d: attribute('[data-output="3"]', "data-audio-differs") == "true")
        assert attribute('[data-output="3"]', "data-routed") == "7"

        # The grid: a tap on a cell routes, the cell shows it.
        tap('[data-tab="grid"]')
        tap('.cell[data-output="3"][data-input="1"]')
        wait.until(lambda d: attribute('.cell[data-output="3"][data-input="1"]', "data-on")
                   == "true")
        assert attribute('.cell[data-output="3"][data-input="7"]', "data-on") == "false"

        # The switcher goes away and comes back; then the program stops.
        rig.stop_sim()
        wait.until(lambda d: [e.text for e in shown('[role="alert"]')] == ["串口断开：" + rig.device])
        rig.start_sim()
        wait.until(lambda d: not shown('[role="alert"]'))
        rig.stop_program()
        wait.until(lambda d: [e.text for e in shown('[role="alert"]')] == ["程序已停止，正在重新连接…"])
        print("panel routes, filters, shows locks, keeps presets, follows other clients "
              "and says what is wrong")
        return 0


if __name__ == "__main__":
    sys.exit(main())
