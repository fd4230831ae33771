"""The optimise and restore runs of the real program against fake
applications and services."""
import os
import time
import unittest

from skorvel_e2e import SystemTestCase, wait_for, write_filter

CONFIRMATION = ("Program zamknie otwarte aplikacje oraz wyłączy efekty graficzne aby "
                "przyspieszyć działanie systemu. Przed rozpoczęciem zapisz wszystkie otwarte "
                "dokumenty ponieważ mogą one zostać utracone. Czy chcesz rozpocząć?")


class Optimise(SystemTestCase):
    def setUp(self):
        super().setUp()
        # Ticked by default: rows 2 to 8 and the effects row; unticked: 0, 1, 9.
        write_filter(self.folder, "komunikatory", ["Player.EXE", "it's.exe"], "utf-8-sig")
        write_filter(self.folder, "programy_biurowe", ["notes.exe"], "utf-16-le")
        write_filter(self.folder, "uzytkowe", ["player.exe "], "cp1252")  # trailing blank
        write_filter(self.folder, "antywirusy", ["browser.exe"], "utf-16-be")  # unticked row

    def test_optimise_then_restore_everything(self):
        self.install_services("uxsms", "Themes")
        for name in ("player.exe", "it's.exe", "notes.exe", "notes.exe", "browser.exe",
                     "keeper.exe"):
            self.app(name)
        pid, main = self.start_program()
        self.screenshot("before")
        self.press_start_button(main)
        box = self.message_box(pid)
        self.assertEqual(box["text"], CONFIRMATION)
        self.confirm(pid)
        wait_for(lambda: self.restore_mode(main), what="restore mode")
        self.screenshot("restore-mode")

        for gone in ("player.exe", "it's.exe", "notes.exe"):
            self.assertEqual(self.running(gone), [], gone)
        for kept in ("browser.exe", "keeper.exe"):
            self.assertEqual(len(self.running(kept)), 1, kept)
        self.assertEqual(self.service_state("uxsms"), "STOPPED")
        self.assertEqual(self.service_state("Themes"), "STOPPED")
        menu = self.menu_bar(pid, main["hwnd"])[0]["items"]
        self.assertEqual([i["text"] for i in menu][0], "Przywróć")

        # Two quick presses: the second arrives while the first restore runs.
        before = {p["pid"] for p in self.processes()}
        self.press_start_button(main)
        self.xdotool("click", 1)
        wait_for(lambda: not self.restore_mode(main), what="optimise mode")

        def relaunched():
            return sorted((p for p in self.processes()
                           if p["pid"] not in before and p["path"].startswith("C:\\Apps\\")),
                          key=lambda p: p["created"])
        wait_for(lambda: {"it's.exe", "player.exe"} <= {p["name"] for p in relaunched()},
                 what="the relaunches")
        time.sleep(1)  # a second launch of the same entry would show by now
        names = [p["name"] for p in relaunched()]
        # Both instances of notes.exe were listed at the first lookup, so at
        # most one of them could be recorded.
        expected = [n for n in ("it's.exe", "notes.exe", "player.exe")
                    if n in names or n != "notes.exe"]
        self.assertEqual(names, expected)
        # Started by the desktop shell, every one of them: so they run with the
        # user's rights, not with the elevated program's.
        shell = {p["pid"] for p in self.processes() if p["name"].lower() == "explorer.exe"}
        self.assertEqual([p["name"] for p in relaunched() if p["parent"] not in shell], [])
        self.assertEqual(self.service_state("uxsms"), "RUNNING")
        self.assertEqual(self.service_state("Themes"), "RUNNING")
        self.assertEqual(self.ticks(main), [False, False] + [True] * 7 + [False, True])
        self.screenshot("restored")

    def test_answering_no_changes_nothing(self):
        self.app("player.exe")
        pid, main = self.start_program()
        self.press_start_button(main)
        self.confirm(pid, "No")
        time.sleep(1)
        self.assertEqual(len(self.running("player.exe")), 1)
        self.assertFalse(self.restore_mode(main))

    def test_no_row_ticked_shows_message_and_stays(self):
        self.app("player.exe")
        pid, main = self.start_program()
        self.untick_all(main)
        self.assertEqual(self.ticks(main), [False] * 11)
        self.press_start_button(main)
        self.confirm(pid)
        box = self.message_box(pid)
        self.screenshot("no-category")
        self.assertEqual((box["caption"], box["text"]),
                         ("Skorvel", "Zaznacz przynajmniej jedną kategorię."))
        self.answer(box, "OK")
        time.sleep(0.5)
        self.assertFalse(self.restore_mode(main))
        self.assertEqual(len(self.running("player.exe")), 1)

    def test_only_the_effects_row_closes_nothing_and_stops_the_services(self):
        self.install_services("uxsms", "Themes")
        self.app("player.exe")
        pid, main = self.start_program()
        self.untick_all(main)
        self.click_row_box(main, 10)
        wait_for(lambda: self.ticks(main)[10], what="the effects row ticked")
        self.press_start_button(main)
        self.confirm(pid)
        wait_for(lambda: self.restore_mode(main), what="restore mode")
        self.screenshot("effects-only")
        self.assertEqual(len(self.running("player.exe")), 1)
        wait_for(lambda: self.service_state("Themes") == "STOPPED", what="Themes stopped")
        self.assertEqual(self.service_state("uxsms"), "STOPPED")


if __name__ == "__main__":
    unittest.main()
