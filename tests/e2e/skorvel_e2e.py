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
    """The programs a driver starts inherit its environment: env, when given,
    replaces the test's own."""

    def __init__(self, env=None):
        self.process = subprocess.Popen(
            ["wine", os.path.join(BIN, "skdriver.exe")], stdin=subprocess.PIPE,
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, encoding="utf-8",
            env=env)

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
    the test.

    A driver of the class's own stays for all its tests: when the last
    ordinary program of a prefix ends, Wine ends the prefix's session a few
    seconds later (services, explorer), and a next test must not start while
    that happens."""

    @classmethod
    def setUpClass(cls):
        cls.keeper = Driver()

    @classmethod
    def tearDownClass(cls):
        cls.keeper.close()

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

    def tray_window(self):
        """Wine's own tray window, shown while it holds an icon."""
        return next((w for w in self.driver.call("windows", 0)
                     if w["text"] == "Wine System Tray" and w["visible"]), None)

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
        """Presses a message box's button by its command id, so that it also
        works where Wine shows translated captions ("Tak", "Nie")."""
        ids = {"OK": 1, "Cancel": 2, "Yes": 6, "No": 7}
        button = next(b for b in box["buttons"] if b["id"] == ids[caption])
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
        locale = os.environ.get("LC_ALL", "")
        tag = f"-{locale.split('.')[0]}" if locale else ""
        path = os.path.join(SHOTS, f"{self.id().split('.')[-1]}{tag}-{name}.png")
        time.sleep(0.3)  # let the last paint reach the display
        subprocess.run(["import", "-window", "root", "-depth", "8", path], check=True)
        return path


# --- the system the optimisation works on --------------------------------------
START_BUTTON = (156, 153)  # the centre of "Optymalizuj" / "Przywróć" in the client area
LIST_TOP, ROW_HEIGHT = 310 + 2, 14  # the check-list's first row, inside its border
LB_SETTOPINDEX = 0x0197


def write_filter(folder, stem, lines, encoding):
    """A filter file in one of the encodings users save them in."""
    path = os.path.join(folder, "filters", "skorvel", stem + ".txt")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    text = "".join(line + "\r\n" for line in lines)
    boms = {"utf-8-sig": b"", "utf-16-le": b"\xff\xfe", "utf-16-be": b"\xfe\xff"}
    with open(path, "wb") as f:
        f.write(boms.get(encoding, b"") + text.encode(encoding))
    return path


def service_image(name):
    """Each service runs from a copy of the fixture service of its own, so
    that its process can be told by name."""
    return name + "_service.exe"


def sc(*args):
    """Wine's sc.exe; its output only appears when piped."""
    return subprocess.run(["wine", "sc", *args], capture_output=True, text=True,
                          errors="replace").stdout


class SystemTestCase(ProgramTestCase):
    """A program folder with its filter files, fake applications copied under
    several image names, and fake "uxsms" and "Themes" services."""

    def setUp(self):
        super().setUp()
        self.apps = os.path.join(PREFIX, "drive_c", "Apps")
        os.makedirs(self.apps, exist_ok=True)
        self.services = []

    def tearDown(self):
        """Ends every application started from the apps folder (the program
        relaunches some itself) and removes the services once they have
        stopped and their processes have ended, so that the next test meets
        none of them."""
        apps = windows_path(self.apps) + "\\"
        for p in self.processes():
            if p["path"].lower().startswith(apps.lower()):
                self.driver.call("kill", p["pid"])
        for name in self.services:
            sc("stop", name)
        for name in self.services:
            wait_for(lambda: self.service_state(name) == "STOPPED", what=f"{name} stopped")
            wait_for(lambda: not self.running(service_image(name)), what=f"{name}'s process ended")
            sc("delete", name)
        super().tearDown()

    def app(self, image_name):
        """Starts a copy of the fixture application under an image name."""
        path = os.path.join(self.apps, image_name)
        if not os.path.exists(path):
            shutil.copy(os.path.join(BIN, "fixture_app.exe"), path)
        pid = self.start(path, "--window")
        wait_for(lambda: any(p["pid"] == pid for p in self.processes()), what=image_name)
        return pid

    def processes(self):
        return self.driver.call("processes")

    def running(self, image_name):
        return [p for p in self.processes() if p["name"].lower() == image_name.lower()]

    def install_services(self, *names):
        folder = os.path.join(PREFIX, "drive_c", "Services")
        os.makedirs(folder, exist_ok=True)
        for name in names:
            exe = os.path.join(folder, service_image(name))
            shutil.copy(os.path.join(BIN, "fixture_service.exe"), exe)
            sc("create", name, "binPath=", windows_path(exe))
            self.services.append(name)
            sc("start", name)
        for name in names:
            wait_for(lambda: self.service_state(name) == "RUNNING", what=f"{name} running")

    def service_state(self, name):
        for line in sc("query", name).splitlines():
            if "STATE" in line:
                return line.split()[-1]
        return None

    # --- the main window as a user sees it -----------------------------------
    def press_start_button(self, main):
        self.click_at(main["hwnd"], *START_BUTTON)

    def check_list(self, main):
        return self.child(main["hwnd"], cls="ListBox")

    def ticks(self, main):
        items = self.driver.call("listbox", self.check_list(main)["hwnd"])["items"]
        return [bool(i["data"] & 1) for i in items]

    def click_row_box(self, main, row):
        """Clicks a row's check box, scrolling the row to the top first."""
        hwnd = self.check_list(main)["hwnd"]
        self.post(hwnd, LB_SETTOPINDEX, row, 0)
        time.sleep(0.2)
        top = self.driver.call("listbox", hwnd)["top"]
        self.click_at(main["hwnd"], 8, LIST_TOP + (row - top) * ROW_HEIGHT + ROW_HEIGHT // 2)

    def untick_all(self, main):
        """Ctrl+Z in the check-list, as the user would press it."""
        self.click_at(main["hwnd"], 150, LIST_TOP + ROW_HEIGHT // 2)
        self.xdotool("key", "ctrl+z")
        wait_for(lambda: not any(self.ticks(main)), what="all rows unticked")

    def restore_mode(self, main):
        kids = self.children(main["hwnd"])
        return next(c for c in kids if c["text"] == "Przywróć")["visible"]

    def confirm(self, pid, answer="Yes"):
        box = self.message_box(pid)
        self.assertEqual(box["caption"], "Potwierdzenie")
        self.screenshot("confirmation")
        self.answer(box, answer)
        wait_for(lambda: all(w["hwnd"] != box["hwnd"] for w in self.visible_windows(pid)),
                 what="the confirmation to close")
