"""Start-up and lifetime of the real program: the main window, a second
copy's question, and every way of closing."""
import os
import shutil
import time
import unittest

from skorvel_e2e import (IDNO, SC_CLOSE, SOURCE, WM_SYSCOMMAND, ProgramTestCase, wait_for,
                         windows_path)

ROWS = ["Antywirusy", "Inne", "Komunikatory", "Manadżery plików i kompresja",
        "Odtwarzacze multimedialne", "Pobieranie danych", "Programy biurowe",
        "Przeglądarki internetowe", "Użytkowe", "Wirtualne dyski i montowanie napędów",
        "Wyłącz efekty Aero i kompozycje"]

QUESTION = ("Aplikacja Skorvel jest już uruchomiona. Czy mimo tego chcesz uruchomić kolejne "
            "okno programu?")


class StartUp(ProgramTestCase):
    def test_main_window_layout(self):
        pid, main = self.start_program()
        self.screenshot("main-window")
        shown = [w for w in self.visible_windows(pid) if w["text"] == "Skorvel"]
        self.assertEqual(len(shown), 1)
        self.assertEqual(main["client"], [318, 421])
        bar = self.menu_bar(pid, main["hwnd"])
        self.assertEqual([i["text"] for i in bar], ["Menu główne", "Informacje"])
        self.assertEqual([i["text"] for i in bar[0]["items"] if not i["separator"]],
                         ["Optymalizuj", "Edytor filtrów", "Zamknij"])
        self.assertEqual([i["text"] for i in bar[1]["items"] if not i["separator"]],
                         ["Strona internetowa\tF1", "O programie\tF2"])
        check_list = self.child(main["hwnd"], cls="ListBox")
        items = self.driver.call("listbox", check_list["hwnd"])["items"]
        self.assertEqual([i["text"] for i in items], ROWS)

        # Fixed single border with a minimise box and no maximise box.
        WS_THICKFRAME, WS_MINIMIZEBOX, WS_MAXIMIZEBOX = 0x40000, 0x20000, 0x10000
        self.assertFalse(main["style"] & WS_THICKFRAME)
        self.assertTrue(main["style"] & WS_MINIMIZEBOX)
        self.assertFalse(main["style"] & WS_MAXIMIZEBOX)

    def test_second_copy_refused_ends_quietly(self):
        self.start_program()
        second = self.start(self.exe)
        box = self.message_box(second)
        self.screenshot("second-copy-question")
        self.assertEqual(box["caption"], "Skorvel")
        self.assertEqual(box["text"], QUESTION)
        self.assertEqual(sorted(b["text"].replace("&", "") for b in box["buttons"]),
                         ["No", "Yes"])
        self.answer(box, "No")
        self.assertEqual(self.wait_exit(second), {"exited": True, "code": 0})

    def test_second_copy_accepted_opens_own_window(self):
        first, first_main = self.start_program()
        second = self.start(self.exe)
        self.answer(self.message_box(second), "Yes")
        second_main = self.main_window(second)
        self.assertNotEqual(second_main["hwnd"], first_main["hwnd"])
        self.screenshot("two-copies")
        self.assertTrue(self.window(first_main["hwnd"])["visible"])

    def test_every_way_of_closing_ends_with_code_zero(self):
        ways = {
            "menu Zamknij": lambda pid, hwnd: self.choose_menu(pid, hwnd, "Menu główne",
                                                               "Zamknij"),
            "close command": lambda pid, hwnd: self.post(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0),
            "Alt+F4": self.alt_f4,
        }
        for way, close in ways.items():
            with self.subTest(way=way):
                pid, main = self.start_program()
                close(pid, main["hwnd"])
                self.assertEqual(self.wait_exit(pid), {"exited": True, "code": 0})
                self.started.remove(pid)

    def test_a_start_up_that_fails_shows_why_and_ends_cleanly(self):
        """In every order of construction: the main window's layout unreadable
        (nothing is built yet), broken half-way (its window exists), the
        editor's layout unreadable (the main window is whole, its icon in the
        tray). The windows made so far are gone when the error is shown, and
        the process ends as any start-up that stops does."""
        with open(os.path.join(SOURCE, "resources", "layouts", "main_frm.layout"),
                  encoding="utf-8") as f:
            half_built = f.read().replace("on-click: WiecejBtnClick", "on-click: NoSuchHandler")
        handler_line = half_built.splitlines().index(
            " " * 12 + "on-click: NoSuchHandler") + 1
        unreadable = "not a layout\n"
        cases = [("MAINFRM", unreadable, "MAINFRM(1): expected 'kind Name' or 'key: value'"),
                 ("MAINFRM", half_built, f"MAINFRM({handler_line}): glassbutton WiecejBtn: "
                                         "no handler named NoSuchHandler."),
                 ("EDYTORFRM", unreadable, "EDYTORFRM(1): expected 'kind Name' or 'key: value'")]
        for number, (layout, replacement, message) in enumerate(cases):
            with self.subTest(layout=layout, half_built=replacement is half_built):
                folder = os.path.join(self.folder, str(number))
                os.makedirs(folder)
                exe = shutil.copy(self.exe, folder)
                replacement_file = os.path.join(folder, "layout.txt")
                with open(replacement_file, "w", encoding="utf-8") as f:
                    f.write(replacement)
                self.assertTrue(self.driver.call("replace-resource", windows_path(exe), "LAYOUT",
                                                 layout, windows_path(replacement_file))["replaced"])

                pid = self.start(exe)
                box = self.message_box(pid)
                self.screenshot(f"failed-start-up-{number}")
                self.assertEqual(box["caption"], "Skorvel")
                self.assertEqual(box["text"], message)
                self.assertEqual([w for w in self.visible_windows(pid)
                                  if w["hwnd"] != box["hwnd"]], [])
                wait_for(lambda: self.tray_window() is None, what="no icon in the tray")
                self.answer(box, "OK")
                self.assertEqual(self.wait_exit(pid), {"exited": True, "code": 0})
                self.started.remove(pid)

    def alt_f4(self, pid, hwnd):
        # A real key press: click into the window to give it the focus first.
        self.click_at(hwnd, 300, 20)
        time.sleep(0.3)
        self.xdotool("key", "alt+F4")


if __name__ == "__main__":
    unittest.main()
