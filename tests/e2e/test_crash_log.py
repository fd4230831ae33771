"""An exception that escapes a handler: the error box, the crash log beside
the program, and a window that keeps working. Run once with the default
regional settings and once with Polish ones (LC_ALL), where the ANSI code page
is 1250 and the short date is day.month.year."""
import glob
import os
import re
import time
import unittest

from skorvel_e2e import BIN, SystemTestCase, wait_for, windows_path, write_filter

POLISH = os.environ.get("LC_ALL", "").startswith("pl_PL")
STAMP = (r"\d{1,2}-\d{2}-\d{4} \d{2}-\d{2}-\d{2}" if POLISH  # 10-12-2026 10-19-21
         else r"\d{1,2}-\d{1,2}-\d{4} \d{1,2}-\d{2}-\d{2} [AP]M")  # 12-10-2026 10-19-20 AM
CODE_PAGE = "cp1250" if POLISH else "cp1252"


class CrashLog(SystemTestCase):
    def test_unreadable_filter_file_is_logged_and_shown(self):
        locked = write_filter(self.folder, "komunikatory", ["player.exe"], "utf-8-sig")
        self.app("player.exe")
        held = os.path.join(self.folder, "held")
        self.start(os.path.join(BIN, "file_holder.exe"),
                   '"%s" "%s"' % (windows_path(locked), windows_path(held)))
        wait_for(lambda: os.path.exists(held), what="the filter file held")
        pid, main = self.start_program()
        self.press_start_button(main)
        self.confirm(pid)

        box = self.message_box(pid)
        self.screenshot("error-box")
        self.assertEqual(box["caption"], "Skorvel")
        self.assertTrue(box["text"].endswith("."), box["text"])
        logs = wait_for(lambda: glob.glob(os.path.join(self.folder, "log", "skorvel", "*.log")),
                        what="the crash log")
        self.assertEqual(len(logs), 1)
        self.assertRegex(os.path.basename(logs[0]), r"^data-" + STAMP + r"\.log$")
        with open(logs[0], "rb") as f:
            raw = f.read()
        self.assertFalse(raw.startswith(b"\xef\xbb\xbf"))
        lines = raw.decode(CODE_PAGE).split("\r\n")
        self.assertEqual(lines[0], "[skorvel]")
        self.assertTrue(lines[1].startswith("to string: "))
        message = next(line for line in lines if line.startswith("message: "))[len("message: "):]
        self.assertTrue(message)
        self.assertTrue(box["text"].startswith(message.rstrip(".")), (box["text"], message))
        self.assertEqual(lines[-2:], ["stack trace: ", ""])

        # Nothing was closed, the window stays in optimise mode and keeps working.
        self.answer(box, "OK")
        time.sleep(0.5)
        self.assertFalse(self.restore_mode(main))
        self.assertEqual(len(self.running("player.exe")), 1)
        self.press_start_button(main)
        self.confirm(pid, "No")
        self.assertFalse(self.restore_mode(main))


if __name__ == "__main__":
    unittest.main()
