"""The downloads in dist/: what the zips hold, the checksums, the kinds of
executable, and the program started from an unpacked zip."""
import hashlib
import os
import subprocess
import unittest
import zipfile

from skorvel_e2e import SystemTestCase, wait_for
from skorvel_package import (AMD64, DIST, I386, SHIPPED_LISTS, TEST_INSTALLER, download,
                             pe_machine, shipped, unpack_win64_zip)

FOLDER_FILES = sorted(["Skorvel/CZYTAJ.txt", "Skorvel/Skorvel.exe"] +
                      [f"Skorvel/filters/skorvel/{name}" for name in SHIPPED_LISTS])


class Downloads(unittest.TestCase):
    def test_each_zip_holds_the_program_folder_for_its_windows(self):
        for arch, machine in (("win64", AMD64), ("win32", I386)):
            with self.subTest(arch=arch), zipfile.ZipFile(download(f"{arch}.zip")) as archive:
                self.assertIsNone(archive.testzip())
                files = sorted(n for n in archive.namelist() if not n.endswith("/"))
                self.assertEqual(files, FOLDER_FILES)
                for name in SHIPPED_LISTS:
                    self.assertEqual(archive.read(f"Skorvel/filters/skorvel/{name}"),
                                     shipped(name), name)
                self.assertEqual(pe_machine(archive.read("Skorvel/Skorvel.exe")), machine)
                self.assertTrue(archive.read("Skorvel/CZYTAJ.txt").startswith(b"\xef\xbb\xbf"))

    def test_the_shipped_installer_runs_on_32_and_64_bit_windows(self):
        with open(download("setup.exe"), "rb") as f:
            self.assertEqual(pe_machine(f.read()), I386)
        with open(TEST_INSTALLER, "rb") as f:
            self.assertEqual(pe_machine(f.read()), AMD64)

    def test_checksums_name_and_match_the_three_downloads(self):
        with open(os.path.join(DIST, "SHA256SUMS"), encoding="ascii") as f:
            sums = dict(reversed(line.split("  ")) for line in f.read().splitlines())
        kinds = ("win64.zip", "win32.zip", "setup.exe")
        self.assertEqual(sorted(sums), sorted(os.path.basename(download(k)) for k in kinds))
        for name, digest in sums.items():
            with open(os.path.join(DIST, name), "rb") as f:
                self.assertEqual(hashlib.sha256(f.read()).hexdigest(), digest, name)
        # What a user runs to check a download.
        checked = subprocess.run(["sha256sum", "--check", "--strict", "SHA256SUMS"], cwd=DIST,
                                 capture_output=True, text=True)
        self.assertEqual(checked.returncode, 0, checked.stdout + checked.stderr)


class UnpackedZip(SystemTestCase):
    """The 64-bit zip unpacked into a folder of its own: the program finds its
    shipped lists beside itself."""

    def setUp(self):
        super().setUp()
        self.folder, self.exe = unpack_win64_zip()

    def test_optimise_closes_an_application_a_shipped_list_names(self):
        # vlc.exe is in the media players' list, ticked by default.
        self.app("vlc.exe")
        self.app("keeper.exe")
        pid, main = self.start_program()
        self.press_start_button(main)
        self.confirm(pid)
        wait_for(lambda: self.restore_mode(main), what="restore mode")
        self.screenshot("restore-mode")
        self.assertEqual(self.running("vlc.exe"), [])
        self.assertEqual(len(self.running("keeper.exe")), 1)


if __name__ == "__main__":
    unittest.main()
