"""The manifest, version resource and icon read back from the built program
with the Win32 resource functions, under Wine."""
import re
import unittest

from skorvel_e2e import ProgramTestCase, windows_path


class Resources(ProgramTestCase):
    def test_manifest_asks_for_administrator_rights(self):
        manifest = self.driver.call("resources", windows_path(self.exe))["manifest"]
        identity = re.search(r"<assemblyIdentity([^>]*)/>", manifest).group(1)
        self.assertEqual(dict(re.findall(r'(\w+)="([^"]*)"', identity)),
                         {"type": "win32", "name": "Kavendo.exe", "version": "3.1.0.0",
                          "processorArchitecture": "*"})
        level = re.search(r"<requestedExecutionLevel([^>]*)/>", manifest).group(1)
        self.assertEqual(dict(re.findall(r'(\w+)="([^"]*)"', level)),
                         {"level": "requireAdministrator", "uiAccess": "false"})
        self.assertNotIn("compatibility", manifest)
        self.assertNotIn("Common-Controls", manifest)

    def test_version_resource(self):
        info = self.driver.call("resources", windows_path(self.exe))
        self.assertEqual(info["file_version"], [1, 4, 1, 0])
        self.assertEqual(info["translation"], [0x0409, 0x04E4])
        self.assertEqual(info["strings"], {
            "CompanyName": "Kavendo",
            "FileDescription": "Aplikacja do optymalizacji uruchomionego oprogramowania",
            "FileVersion": "1.4.1.0",
            "LegalCopyright": "Kavendo",
            "ProductName": "Skorvel",
            "ProductVersion": "1.4.1.0",
        })

    def test_icon_group_holds_seventeen_images(self):
        icons = self.driver.call("resources", windows_path(self.exe))["icons"]
        expected = [[s, b] for b in (4, 8) for s in (64, 48, 32, 24, 16)] + \
                   [[s, 32] for s in (256, 128, 64, 48, 32, 24, 16)]
        self.assertEqual(sorted(map(tuple, icons)), sorted(map(tuple, expected)))


if __name__ == "__main__":
    unittest.main()
