"""Start-up and lifetime of the real program: the main window, a second
copy's question, and every way of closing."""
import time
import unittest

from skorvel_e2e import (IDNO, SC_CLOSE, WM_SYSCOMMAND, ProgramTestCase, wait_for)

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

    def alt_f4(self, pid, hwnd):
        # A real key press: click into the window to give it the focus first.
        self.click_at(hwnd, 300, 20)
        time.sleep(0.3)
        self.xdotool("key", "alt+F4")


if __name__ == "__main__":
    unittest.main()
