"""The web panel's test rig, shared by the browser test and the panel's
benchmark: the built program runs headless from a program folder of its own
(web panel and router protocol on free loopback ports) against matrix-sim on a
pseudo-terminal, and headless Chromium (phone size unless told) is driven by
Selenium. The model may be given its counts and port names. Used as a context
manager, it ends every process and removes the folder."""
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
    def __init__(self, program, sim, mode_file=None, poll=0.02, ports=None, names=None,
                 window=(390, 844)):
        """ports: (inputs, outputs) of the model in use (the default model
        without); names: (input names, output names), lists."""
        self.program, self.sim, self.mode_file, self.poll = program, sim, mode_file, poll
        self.ports, self.names, self.window = ports, names, window
        self.processes = []
        self.sim_process = self.program_process = None
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
        manage = ""
        if self.ports:
            manage = "[Matrix Manage Message]\nMatrixNowUse=Rig\n"
            with open(os.path.join(config, "MatrixModelConfig.con"), "w") as f:
                f.write(f"[Rig]\nMatrixAddress=82\nMatrixInputNum={self.ports[0]}\n"
                        f"MatrixOutputNum={self.ports[1]}\nMatrixPattern=0\n"
                        "MatrixCustomAddress=1\n")
        if self.names:
            manage = (manage or "[Matrix Manage Message]\n") + \
                "MatrixInputEditEnable=1\nMatrixOutputEditEnable=1\n"
            with open(os.path.join(config, "MatrixEditList.con"), "w", encoding="utf-8") as f:
                f.write("[MatrixInputStringList]\n")
                f.writelines(f"InputString{k}={n}\n" for k, n in enumerate(self.names[0]))
                f.write("[MatrixOutputStringList]\n")
                f.writelines(f"OutputString{k}={n}\n" for k, n in enumerate(self.names[1]))
        with open(os.path.join(config, "MatrixConfig.con"), "w", encoding="utf-8") as f:
            f.write(f"[Serial Port Map]\nCOM1={device}\n[Web Control]\nEnabled=1\n"
                    f"Port={self.web}\n[Network Control]\nEnabled=1\nPort={self.router}\n"
                    + manage)
        if self.mode_file is not None:
            with open(os.path.join(config, "MatrixMode.xml"), "w") as f:
                f.write(self.mode_file)
        self.device = device
        self.sim_log = os.path.join(self.folder, "sim.log")
        self.start_sim()
        self.start_program()

        options = webdriver.ChromeOptions()
        for argument in ("--headless=new", "--no-sandbox", "--disable-gpu",
                         f"--window-size={self.window[0]},{self.window[1]}"):
            options.add_argument(argument)
        self.driver = webdriver.Chrome(options=options)
        # The panel redraws a list when it changes: an element found a moment
        # ago may be gone; look again.
        self.wait = WebDriverWait(self.driver, 30, poll_frequency=self.poll,
                                  ignored_exceptions=(StaleElementReferenceException,))
        self.url = f"http://127.0.0.1:{self.web}/"

    def start_sim(self):
        with open(self.sim_log, "a") as out:
            self.sim_process = subprocess.Popen([self.sim, "--link", self.device], stdout=out)
        self.processes.append(self.sim_process)
        wait_for(lambda: os.path.exists(self.device), "the simulated switcher")

    def stop_sim(self):
        """The switcher goes away: its device hangs up and is gone."""
        self.sim_process.terminate()
        self.sim_process.wait(10)

    def start_program(self):
        log = os.path.join(self.folder, "log")
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "QT_QPA_PLATFORM")}
        with open(log, "w") as err:
            self.program_process = subprocess.Popen(
                [os.path.join(self.folder, "matrix-control"), "--headless"], stderr=err, env=env)
        self.processes.append(self.program_process)
        wait_for(lambda: "Web control listening" in open(log).read(), "the web server")

    def stop_program(self):
        self.program_process.terminate()
        self.program_process.wait(10)

    def __exit__(self, *_):
        if self.driver:
            self.driver.quit()
        for process in reversed(self.processes):
            if process.poll() is not None:
                continue
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
