"""The web panel's test rig, shared by the browser test and the first-route
benchmark: the built program runs headless from a program folder of its own
(web panel and router protocol on free loopback ports) against matrix-sim on a
pseudo-terminal, and headless Chromium at phone size is driven by Selenium.
Used as a context manager, it ends every process and removes the folder."""
import os
import shutil
import socket
import subprocess
import tempfile
import time

from selenium import webdriver
from selenium.common.exceptions import StaleElementReferenceException
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for(predicate, what, timeout=30):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if predicate():
            return
        time.sleep(0.002)
    raise TimeoutError("timed out waiting for " + what)


class PanelRig:
    def __init__(self, program, sim, mode_file=None, poll=0.02):
        self.program, self.sim, self.mode_file, self.poll = program, sim, mode_file, poll
        self.processes = []
        self.driver = None

    def __enter__(self):
        self.folder = tempfile.mkdtemp(prefix="mc-web-")
        try:
            self._start()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def _start(self):
        config = os.path.join(self.folder, "Matrix Config")
        os.makedirs(config)
        shutil.copy(self.program, self.folder)
        device = os.path.join(self.folder, "dev")
        self.web, self.router = free_port(), free_port()
        with open(os.path.join(config, "MatrixConfig.con"), "w") as f:
            f.write(f"[Serial Port Map]\nCOM1={device}\n[Web Control]\nEnabled=1\n"
                    f"Port={self.web}\n[Network Control]\nEnabled=1\nPort={self.router}\n")
        if self.mode_file is not None:
            with open(os.path.join(config, "MatrixMode.xml"), "w") as f:
                f.write(self.mode_file)
        self.sim_log = os.path.join(self.folder, "sim.log")
        with open(self.sim_log, "w") as out:
            self.processes.append(subprocess.Popen([self.sim, "--link", device], stdout=out))
        wait_for(lambda: os.path.exists(device), "the simulated switcher")
        log = os.path.join(self.folder, "log")
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "QT_QPA_PLATFORM")}
        with open(log, "w") as err:
            self.processes.append(subprocess.Popen(
                [os.path.join(self.folder, "matrix-control"), "--headless"], stderr=err, env=env))
        wait_for(lambda: "Web control listening" in open(log).read(), "the web server")

        options = webdriver.ChromeOptions()
        for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--window-size=390,844"):
            options.add_argument(argument)
        self.driver = webdriver.Chrome(options=options)
        # The panel redraws a list when it changes: an element found a moment
        # ago may be gone; look again.
        self.wait = WebDriverWait(self.driver, 30, poll_frequency=self.poll,
                                  ignored_exceptions=(StaleElementReferenceException,))
        self.url = f"http://127.0.0.1:{self.web}/"

    def __exit__(self, *_):
        if self.driver:
            self.driver.quit()
        for process in reversed(self.processes):
            process.terminate()
            try:
                process.wait(10)
            except subprocess.TimeoutExpired:
                process.kill()
        shutil.rmtree(self.folder, ignore_errors=True)

    def css(self, selector):
        return self.driver.find_element(By.CSS_SELECTOR, selector)

    def attribute(self, selector, name):
        return self.css(selector).get_attribute(name)

    def tap(self, selector):
        """A click that finds its element redrawn under it tries again."""
        self.wait.until(lambda d: self.css(selector).click() is None)

    def sim_lines(self):
        with open(self.sim_log) as f:
            return f.read().count("\n")
