"""The installer, run silently as an administrator would script it, and its
uninstaller, silently and with the box that removes the user's files ticked.

Wine here runs 64-bit programs only, so the tests run the 64-bit build of the
installer script; the shipped one is the same script as a 32-bit program."""
import os
import subprocess
import unittest

from skorvel_e2e import BM_CLICK, PREFIX, WM_CLOSE, ProgramTestCase, wait_for
from skorvel_package import SHIPPED_LISTS, STAGE, TEST_INSTALLER, VERSION, shipped

PROGRAM_FILES = os.path.join(PREFIX, "drive_c", "Program Files")
INSTALLED = os.path.join(PROGRAM_FILES, "Skorvel")
LISTS = os.path.join(INSTALLED, "filters", "skorvel")
SHORTCUT = os.path.join(PREFIX, "drive_c", "ProgramData", "Microsoft", "Windows", "Start Menu",
                        "Programs", "Skorvel.lnk")
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Skorvel"
REMOVE_USER_FILES = "Also remove my filter files and the crash logs"


def read(path):
    with open(path, "rb") as f:
        return f.read()


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def uninstall_entry(view="/reg:64"):
    """The values of the installed-programs entry in one registry view, or
    None without one."""
    query = subprocess.run(["wine", "reg", "query", UNINSTALL_KEY, view], capture_output=True,
                           text=True, errors="replace")
    if query.returncode != 0:
        return None
    values = {}
    for line in query.stdout.splitlines():
        parts = line.strip().split(None, 2)
        if len(parts) >= 2 and parts[1].startswith("REG_"):
            values[parts[0]] = parts[2] if len(parts) == 3 else ""
    return values


class Installer(ProgramTestCase):
    def setUp(self):
        super().setUp()
        self.exe = os.path.join(INSTALLED, "Skorvel.exe")

    def install(self):
        # No pipes: the shell the installer's first window starts would hold
        # them open long after the installer has ended.
        result = subprocess.run(["wine", TEST_INSTALLER, "/S"], stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL, timeout=120)
        self.assertEqual(result.returncode, 0)

    def uninstallers(self):
        """The running uninstallers: each runs from a copy of itself in a
        folder ~nsu*.tmp of the temporary folder."""
        return [p for p in self.driver.call("processes") if "~nsu" in p["path"].lower()]

    def wait_uninstalled(self):
        wait_for(lambda: uninstall_entry() is None, timeout=60, what="the entry removed")
        wait_for(lambda: not self.uninstallers(), timeout=30, what="the uninstaller to end")

    def edit_user_files(self):
        """What a user leaves in the program folder: two edited shipped lists
        (one of them as long as before), a list of their own, a crash log.
        Returns them with their bytes."""
        edited = os.path.join(LISTS, "komunikatory.txt")
        same_size = os.path.join(LISTS, "uzytkowe.txt")
        files = {
            edited: read(edited) + b"moj_komunikator.exe\r\n",
            same_size: read(same_size).replace(b"CCleaner.exe", b"CCleaner.EXE", 1),
            os.path.join(LISTS, "moje.txt"): b"\xef\xbb\xbfgra.exe\r\n",
            os.path.join(INSTALLED, "log", "skorvel", "data-1-1-2030-10-00-00.log"): b"awaria\r\n",
        }
        for path, data in files.items():
            write(path, data)
        return files

    def test_silent_install_upgrade_and_uninstall(self):
        self.install()
        self.assertEqual(read(self.exe), read(os.path.join(STAGE, "win64", "Skorvel",
                                                           "Skorvel.exe")))
        self.assertEqual(sorted(os.listdir(LISTS)), SHIPPED_LISTS)
        for name in SHIPPED_LISTS:
            self.assertEqual(read(os.path.join(LISTS, name)), shipped(name), name)
        self.assertTrue(os.path.isfile(os.path.join(INSTALLED, "uninstall.exe")))
        self.assertFalse(os.path.exists(os.path.join(PREFIX, "drive_c", "Program Files (x86)",
                                                     "Skorvel")))
        self.assertTrue(os.path.isfile(SHORTCUT))

        entry = uninstall_entry()
        self.assertIsNotNone(entry)
        self.assertEqual((entry["DisplayName"], entry["DisplayVersion"], entry["Publisher"]),
                         ("Skorvel", VERSION, "Kavendo"))
        self.assertEqual(entry["DisplayIcon"], r"C:\Program Files\Skorvel\Skorvel.exe,0")
        self.assertEqual(entry["UninstallString"], r'"C:\Program Files\Skorvel\uninstall.exe"')
        size_kb = int(entry["EstimatedSize"], 16)
        self.assertGreaterEqual(size_kb * 1024, os.path.getsize(self.exe))
        self.assertIsNone(uninstall_entry("/reg:32"), "the entry belongs in the 64-bit view")

        pid, main = self.start_program()
        self.screenshot("installed-program")
        self.post(main["hwnd"], WM_CLOSE)
        self.assertEqual(self.wait_exit(pid), {"exited": True, "code": 0})
        self.started.remove(pid)

        user_files = self.edit_user_files()
        os.remove(os.path.join(LISTS, "inne.txt"))
        self.install()  # the upgrade
        for path, data in user_files.items():
            self.assertEqual(read(path), data, path)
        # A shipped list goes in wherever none of its name is.
        self.assertEqual(read(os.path.join(LISTS, "inne.txt")), shipped("inne.txt"))
        self.assertEqual(uninstall_entry()["DisplayVersion"], VERSION)

        subprocess.run(["wine", os.path.join(INSTALLED, "uninstall.exe"), "/S"],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        self.wait_uninstalled()
        for gone in (self.exe, os.path.join(INSTALLED, "uninstall.exe"), SHORTCUT):
            self.assertFalse(os.path.exists(gone), gone)
        # Only what the user changed or added stays.
        for path, data in user_files.items():
            self.assertEqual(read(path), data, path)
        self.assertEqual(sorted(os.listdir(LISTS)), ["komunikatory.txt", "moje.txt",
                                                     "uzytkowe.txt"])
        self.assertEqual(sorted(os.listdir(INSTALLED)), ["filters", "log"])

    def test_uninstall_with_the_box_ticked_removes_the_users_files_too(self):
        self.install()
        self.edit_user_files()
        self.start(os.path.join(INSTALLED, "uninstall.exe"))
        box = wait_for(self.remove_user_files_box, what="the uninstaller's options page")
        self.screenshot("uninstall-options")
        self.post(box["hwnd"], BM_CLICK)
        wait_for(lambda: self.driver.call("send", box["hwnd"], BM_GETCHECK, 0, 0)["result"] == 1,
                 what="the box ticked")
        self.press(self.wizard_button(box["top"]))  # "Uninstall"
        wait_for(lambda: uninstall_entry() is None, timeout=60, what="the entry removed")
        # The same button reads "Close" once the uninstall is done.
        close = wait_for(lambda: (lambda b: b if b["enabled"] else None)(
            self.wizard_button(box["top"])), what="the Close button")
        self.press(close)
        self.wait_uninstalled()
        self.assertFalse(os.path.exists(INSTALLED))
        self.assertFalse(os.path.exists(SHORTCUT))

    def remove_user_files_box(self):
        for process in self.uninstallers():
            for window in self.visible_windows(process["pid"]):
                for child in self.children(window["hwnd"]):
                    if child["text"] == REMOVE_USER_FILES:
                        return dict(child, top=window["hwnd"])
        return None

    def wizard_button(self, wizard):
        """The wizard's "Uninstall", later "Close" button: command id 1 of its frame."""
        return next(c for c in self.children(wizard) if c["id"] == 1 and c["class"] == "Button")


BM_GETCHECK = 0x00F0

if __name__ == "__main__":
    unittest.main()
