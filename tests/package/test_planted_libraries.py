"""Libraries planted beside the program of the 64-bit zip under the names of
libraries of Windows it uses, with Windows' search order asked of Wine (which
otherwise prefers its own copies to a same-named file beside a program): none
of them runs in the program, which works on with the system folder's copies.
A probe importing the same libraries the ordinary way shows that a planted
copy does run when it is taken, and a probe with only the program's load
hook shows that the hook holds without a restricted search order."""
import os
import shutil
import unittest

from skorvel_e2e import BIN, Driver, SystemTestCase, wait_for, windows_path
from skorvel_package import unpack_win64_zip

# Three the program delay-loads, one it loads at run time.
PLANTED = ["winmm.dll", "msimg32.dll", "comctl32.dll", "psapi.dll"]
SYSTEM_FOLDER = "c:\\windows\\system32\\"


def windows_search_order():
    """The environment of the test with Windows' search order asked for the
    planted names: a library beside the program comes before the system's."""
    env = dict(os.environ)
    names = ",".join(os.path.splitext(name)[0] for name in PLANTED)
    env["WINEDLLOVERRIDES"] = env.get("WINEDLLOVERRIDES", "") + f";{names}=n,b"
    return env


class PlantedLibraries(SystemTestCase):
    def setUp(self):
        super().setUp()
        self.folder, self.exe = unpack_win64_zip()
        for name in PLANTED:
            shutil.copy(os.path.join(BIN, "planted", name), self.folder)
        self.planting = Driver(windows_search_order())

    def tearDown(self):
        self.planting.close()
        super().tearDown()

    def start_with_windows_search_order(self, unix_exe):
        pid = self.planting.call("start", windows_path(unix_exe), "")["pid"]
        self.started.append(pid)
        return pid

    def marks(self):
        """The planted libraries that ran: each leaves <name>.ran beside itself."""
        return sorted(name[:-len(".ran")].lower() for name in os.listdir(self.folder)
                      if name.lower().endswith(".ran"))

    def run_probe(self, probe):
        exe = os.path.join(self.folder, probe + ".exe")
        shutil.copy(os.path.join(BIN, probe + ".exe"), exe)
        pid = self.start_with_windows_search_order(exe)
        self.assertEqual(self.wait_exit(pid, 20000), {"exited": True, "code": 0})

    def test_none_runs_in_the_program_which_works_with_the_systems_copies(self):
        # vlc.exe is in a shipped list ticked by default. WMI under Wine has no
        # executable paths, so the run reads vlc's path through psapi.
        self.app("vlc.exe")
        pid = self.start_with_windows_search_order(self.exe)
        main = self.main_window(pid)
        self.press_start_button(main)
        self.confirm(pid)
        wait_for(lambda: self.restore_mode(main), what="restore mode")
        self.screenshot("restore-mode")
        self.assertEqual(self.running("vlc.exe"), [])
        loaded = {m["name"].lower(): m["path"].lower() for m in self.driver.call("modules", pid)}
        for name in PLANTED:
            with self.subTest(library=name):
                self.assertIn(name, loaded, "the program has used it")
                self.assertTrue(loaded[name].startswith(SYSTEM_FOLDER), loaded[name])
        self.assertEqual(self.marks(), [])

    def test_a_probe_importing_them_the_ordinary_way_runs_each_planted_copy(self):
        self.run_probe("ordinary_imports")
        self.assertEqual(self.marks(), sorted(PLANTED))

    def test_the_programs_load_hook_alone_takes_the_system_folders_copies(self):
        self.run_probe("hooked_imports")
        self.assertEqual(self.marks(), [])


if __name__ == "__main__":
    unittest.main()
