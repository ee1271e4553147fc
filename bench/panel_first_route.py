#!/usr/bin/python3
"""The web panel in headless Chromium on loopback: time to first route, the
grid at 256 × 256, a route change's repaint, and the panel's size.

The built program runs headless from a program folder of its own against
matrix-sim; headless Chromium (Selenium with chromium-driver) is started
first, so its own start is not counted.

- First route (the default model): each run opens the panel's address
  afresh, waits for the page to be live, taps an output and an input, and
  stops the clock when the output's button shows the new input (data-routed
  changed) and again when matrix-sim has received the frame (target
  < 500 ms).
- The grid (a 256 × 256 model with long names, tablet size): from the tap on
  the grid's tab to the first frame painted after it (target < 500 ms), and
  from an HTTP client's route request to the frame painted after the grid's
  cell shows it (target < 50 ms).
- The panel's files: their bytes together (target < 150 KB) and that the page
  fetched nothing from another origin.

Prints the median and the maximum of each over the runs.

Usage: panel_first_route.py <matrix-control> <matrix-sim> [runs]"""
import os
import statistics
import sys
import time
import urllib.request

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "web"))
from panel_rig import PanelRig, wait_for  # noqa: E402


# Clicks the grid's tab and answers the time to the first frame painted after.
GRID_SHOWN = """
const done = arguments[arguments.length - 1];
document.querySelector('[data-tab="outputs"]').click();
requestAnimationFrame(() => setTimeout(() => {
  const started = performance.now();
  document.querySelector('[data-tab="grid"]').click();
  requestAnimationFrame(() => setTimeout(() => {
    const cells = document.querySelectorAll('#gridCells .cell').length;
    done([performance.now() - started, cells]);
  }));
}));
"""

# Routes output arguments[0] to input arguments[1] over HTTP and answers the
# time until the frame after its grid cell shows it is painted.
ROUTE_REPAINTED = """
const [output, input, done] = arguments;
const selector = `.cell[data-output="${output}"][data-input="${input}"]`;
const started = performance.now();
const check = () => {
  const cell = document.querySelector(selector);
  if (cell && cell.dataset.on === 'true') {
    requestAnimationFrame(() => setTimeout(() => done(performance.now() - started)));
    return true;
  }
  return false;
};
const watcher = new MutationObserver(() => { if (check()) watcher.disconnect(); });
watcher.observe(document.getElementById('gridCells'), { attributes: true, subtree: true });
fetch('/api/v1/route', { method: 'POST', body: JSON.stringify({ output, input }) });
"""


def report(name, figures, target):
    print(f"{name}: median {statistics.median(figures):.0f} ms, max {max(figures):.0f} ms "
          f"over {len(figures)} runs (target < {target} ms)")


def first_route(program, sim, runs):
    with PanelRig(program, sim, poll=0.002) as rig:
        url = rig.url
        rig.driver.get(url)  # the first load warms nothing of ours: the program serves from memory
        wait_for(lambda: rig.sim_lines() >= 3, "the start-up frames")  # path, power on, layer

        shown, sent = [], []
        for run in range(runs):
            output, target = run % 16, (run % 7) + 1
            rig.driver.get("about:blank")
            before = rig.sim_lines()
            started = time.monotonic()
            rig.driver.get(url)
            rig.wait.until(lambda d: rig.attribute("#connection", "data-state") == "live")
            rig.css(f'[data-output="{output}"]').click()
            rig.css(f'[data-input="{target}"]').click()
            routed = f'[data-output="{output}"]'
            rig.wait.until(lambda d: rig.attribute(routed, "data-routed") == str(target))
            shown.append((time.monotonic() - started) * 1000)
            wait_for(lambda: rig.sim_lines() > before, "the frame at the switcher")
            sent.append((time.monotonic() - started) * 1000)
            time.sleep(0.25)  # the next run's frame is not held back by the 205 ms pacing
        report("time to first route, open to data-routed", shown, 500)
        report("time to first route, open to frame at switcher", sent, 500)


def big_grid(program, sim, runs):
    names = ([f"Camera {k + 1} studio floor" for k in range(256)],
             [f"Monitor wall {k + 1} left" for k in range(256)])
    with PanelRig(program, sim, poll=0.002, ports=(256, 256), names=names,
                  window=(1024, 768)) as rig:
        driver = rig.driver
        driver.set_script_timeout(10)
        driver.get(rig.url)
        rig.wait.until(lambda d: rig.attribute("#connection", "data-state") == "live")
        shown, cells = [], 0
        for _ in range(runs):
            elapsed, cells = driver.execute_async_script(GRID_SHOWN)
            shown.append(elapsed)
        report(f"256 x 256: tap to grid shown ({cells} cells made)", shown, 500)
        repainted = []
        for run in range(runs):
            output, target = run % 8, run % 10
            repainted.append(driver.execute_async_script(ROUTE_REPAINTED, output, target))
        report("256 x 256: route request to grid cell repainted", repainted, 50)

        files = ["", "panel.css", "panel.js", "grid.js"]
        size = sum(len(urllib.request.urlopen(rig.url + f).read()) for f in files)
        origins = driver.execute_script(
            "return performance.getEntriesByType('resource')"
            ".map(e => new URL(e.name).origin).filter(o => o !== location.origin)")
        print(f"panel files: {size / 1024:.1f} KB (target < 150 KB); "
              f"resources from other origins: {len(origins)}")


def main():
    program, sim = sys.argv[1], sys.argv[2]
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 10
    first_route(program, sim, runs)
    big_grid(program, sim, runs)
    return 0


if __name__ == "__main__":
    sys.exit(main())
