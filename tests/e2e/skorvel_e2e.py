"""Helpers of the end-to-end tests: the program is started under Wine in the
test's own prefix (made by tests/harness/wine-run) and driven from outside
through skdriver.exe, a small Win32 program that answers one JSON line per
command. Screenshots of what each test checked go to <build>/e2e-screenshots.
"""
import json
import os
import shutil
import subprocess
import time
import unittest

BUILD = os.environ["SKORVEL_BUILD"]
SOURCE = os.environ["SKORVEL_SOURCE"]
BIN = os.path.join(BUILD, "bin")
PREFIX = os.environ["WINEPREFIX"]
SHOTS = os.path.join(BUILD, "e2e-screenshots")

WM_COMMAND = 0x0111
WM_CLOSE = 0x0010
WM_SYSCOMMAND = 0x0112
SC_CLOSE = 0xF060
SC_MINIMIZE = 0xF020
BM_CLICK = 0x00F5
IDYES, IDNO = 6, 7


def windows_path(unix_path):
    """The Windows name of a Unix path: inside the prefix's drive_c it is on
    C:, anywhere else on Z: (the root of the Unix file system)."""
    drive_c = os.path.join(PREFIX, "drive_c")
    absolute = os.path.abspath(unix_path)
    if absolute.startswith(drive_c + os.sep):
        return "C:\\" + os.path.relpath(absolute, drive_c).replace("/", "\\")
    return "Z:" + absolute.replace("/", "\\")


class Driver:
    def __init__(self):
        self.process = subprocess.Popen(
            ["wine", os.path.join(BIN, "skdriver.exe")], stdin=subprocess.PIPE,
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, encoding="utf-8")

    def call(self, *args):
        self.process.stdin.write("\t".join(str(a) for a in args) + "\n")
        self.process.stdin.flush()
        line = self.process.stdout.readline()
        if not line:
            raise RuntimeError("the driver ended")
        answer = json.loads(line)
        if isinstance(answer, dict) and "error" in answer:
            raise RuntimeError(f"driver: {args[0]} failed: {answer['error']}")
        return answer

    def close(self):
        if self.process.poll() is None:
            self.process.stdin.close()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
        self.process.stdout.close()


def wait_for(predicate, timeout=15.0, interval=0.1, what="condition"):
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out waiting for {what}")
        time.sleep(interval)


class ProgramTestCase(unittest.TestCase):
    """Each test gets a fresh program folder on C: with a copy of Skorvel.exe,
    a driver, and its own list of started processes, which are ended after
    the test."""

    def setUp(self):
        self.driver = Driver()
        self.started = []
        self.folder = os.path.join(PREFIX, "drive_c", "Programs", self.id().split(".")[-1])
        shutil.rmtree(self.folder, ignore_errors=True)
        os.makedirs(self.folder)
        shutil.copy(os.path.join(BIN, "Skorvel.exe"), self.folder)
        self.exe = os.path.join(self.folder, "Skorvel.exe")

    def tearDown(self):
        for pid in self.started:
            try:
                self.driver.call("kill", pid)
            except RuntimeError:
                pass
        self.driver.close()

    # --- processes ---------------------------------------------------------
    def start(self, unix_exe, args=""):
        pid = self.driver.call("start", windows_path(unix_exe), args)["pid"]
        self.started.append(pid)
        return pid

    def start_program(self):
        pid = self.start(self.exe)
        return pid, self.main_window(pid)

    def wait_exit(self, pid, timeout_ms=10000):
        return self.driver.call("wait-exit", pid, timeout_ms)

    # --- windows -----------------------------------------------------------
    def windows(self, pid):
        return self.driver.call("windows", pid)

    def visible_windows(self, pid):
        return [w for w in self.windows(pid) if w["visible"]]

    def main_window(self, pid, timeout=20.0):
        return wait_for(lambda: next((w for w in self.visible_windows(pid)
                                      if w["text"] == "Skorvel" and w["class"] != "#32770"), None),
                        timeout, what="the main window")

    def window(self, hwnd):
        return self.driver.call("window", hwnd)

    def children(self, hwnd):
        return self.driver.call("children", hwnd)

    def child(self, hwnd, text=None, cls=None):
        for c in self.children(hwnd):
            if (text is None or c["text"] == text) and (cls is None or c["class"] == cls):
                return c
        raise AssertionError(f"no child {text!r} of class {cls!r}")

    def message_box(self, pid, timeout=15.0):
        """The visible message box of a process: caption, text and buttons."""
        box = wait_for(lambda: next((w for w in self.visible_windows(pid)
                                     if w["class"] == "#32770"), None),
                       timeout, what="a message box")
        kids = self.children(box["hwnd"])
        texts = [c["text"] for c in kids if c["class"] == "Static" and c["text"]]
        buttons = [c for c in kids if c["class"] == "Button"]
        return {"hwnd": box["hwnd"], "caption": box["text"], "text": "\n".join(texts),
                "buttons": buttons, "window": box}

    def press(self, button):
        self.driver.call("post", button["hwnd"], BM_CLICK, 0, 0)

    def answer(self, box, caption):
        button = next(b for b in box["buttons"] if b["text"].replace("&", "") == caption)
        self.press(button)

    def post(self, hwnd, message, wparam=0, lparam=0):
        self.driver.call("post", hwnd, message, wparam, lparam)

    # --- menus -------------------------------------------------------------
    def menus(self, pid):
        return self.driver.call("menus", pid)["menus"]

    def menu_bar(self, pid, hwnd):
        return next(m for m in self.menus(pid) if m["hwnd"] == hwnd)["items"]

    def choose_menu(self, pid, hwnd, *path):
        items = self.menu_bar(pid, hwnd)
        for caption in path:
            item = next(i for i in items if i["text"].split("\t")[0] == caption)
            items = item["items"]
        self.post(hwnd, WM_COMMAND, item["id"], 0)

    # --- the user's side ---------------------------------------------------
    def xdotool(self, *args):
        subprocess.run(["xdotool", *map(str, args)], check=True)

    def click_at(self, hwnd, x, y, button=1):
        """A real mouse click at a point of a window's client area."""
        origin = self.window(hwnd)["origin"]
        self.xdotool("mousemove", origin[0] + x, origin[1] + y)
        time.sleep(0.1)
        self.xdotool("click", button)

    def screenshot(self, name):
        os.makedirs(SHOTS, exist_ok=True)
        path = os.path.join(SHOTS, f"{self.id().split('.')[-1]}-{name}.png")
        time.sleep(0.3)  # let the last paint reach the display
        subprocess.run(["import", "-window", "root", "-depth", "8", path], check=True)
        return path
