"""The two windows as their layouts build them, seen from outside: each
control's window class, caption, place in the client area and visibility,
in the window order that the keyboard follows; the frame styles; where each
window first appears (the main window centred on the 1024 x 768 screen, the
editor centred over the main window)."""
import unittest

from skorvel_e2e import ProgramTestCase, wait_for

SCREEN = (1024, 768)
WS_MINIMIZEBOX, WS_MAXIMIZEBOX, WS_SYSMENU = 0x20000, 0x10000, 0x80000
WS_EX_TOOLWINDOW = 0x80

# class, caption, (left, top, width, height) in the window's client area, visible
MAIN_CONTROLS = [
    ("SkorvelVistaPanel", "", (0, 0, 318, 421), True),
    ("ListBox", "", (0, 310, 318, 111), True),
    ("SkorvelGlassButton", "Mniej szczegółów", (55, 272, 201, 26), True),
    ("SkorvelGlassButton", "Optymalizuj", (95, 137, 122, 33), True),
    ("SkorvelGlassButton", "Przywróć", (95, 137, 122, 33), False),
    ("SkorvelWindow", "", (5, 3, 301, 53), True),
    ("SkorvelWindow", "", (31, 79, 250, 180), True),
]
EDITOR_CONTROLS = [
    ("ListBox", "", (12, 112, 289, 161), True),
    ("ComboBox", "", (12, 85, 225, 21), True),
    ("Edit", "", (12, 279, 225, 21), True),
    ("SkorvelVistaPanel", "", (0, 0, 313, 65), True),
    ("SkorvelWindow", "", (8, 11, 16, 16), True),
    ("SkorvelWindow", "Edytor bazy filtrów", (30, 11, 137, 16), True),
    ("SkorvelWindow",
     "Wybierz kategorię, a następnie dodaj lub usuń odpowiednie słowa kluczowe.",
     (30, 27, 253, 32), True),
    ("SkorvelWindow", "Wczytaj", (243, 84, 58, 22), True),
    ("SkorvelWindow", "Dodaj", (243, 278, 58, 22), True),
    ("SkorvelVistaPanel", "", (0, 306, 313, 46), True),
    ("SkorvelWindow", "Zamknij", (3, 327, 62, 22), True),
    ("SkorvelWindow", "Anuluj", (185, 327, 58, 22), True),
    ("SkorvelWindow", "Zapisz", (249, 327, 58, 22), True),
]


def centred_in(rect, area):
    """Whether a window rectangle lies centred in an area as the program
    centres it (integer halves of the difference)."""
    width, height = rect[2] - rect[0], rect[3] - rect[1]
    return (rect[0] == area[0] + (area[2] - area[0] - width) // 2 and
            rect[1] == area[1] + (area[3] - area[1] - height) // 2)


class WindowLayouts(ProgramTestCase):
    def controls(self, window):
        ox, oy = self.window(window["hwnd"])["origin"]
        return [(c["class"], c["text"],
                 (c["rect"][0] - ox, c["rect"][1] - oy,
                  c["rect"][2] - c["rect"][0], c["rect"][3] - c["rect"][1]), c["visible"])
                for c in self.children(window["hwnd"])]

    def test_both_windows_as_their_layouts_place_them(self):
        pid, main = self.start_program()
        self.assertEqual(main["client"], [318, 421])
        self.assertTrue(centred_in(main["rect"], (0, 0) + SCREEN), main["rect"])
        self.assertEqual(main["style"] & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
                         WS_SYSMENU | WS_MINIMIZEBOX)
        self.assertFalse(main["exstyle"] & WS_EX_TOOLWINDOW)
        self.assertEqual(self.controls(main), MAIN_CONTROLS)

        self.choose_menu(pid, main["hwnd"], "Menu główne", "Edytor filtrów")
        editor = wait_for(lambda: next((w for w in self.visible_windows(pid)
                                        if w["text"] == "Edytor"), None), what="the editor")
        self.screenshot("editor")
        self.assertEqual(editor["client"], [313, 352])
        self.assertTrue(centred_in(editor["rect"], self.window(main["hwnd"])["rect"]),
                        editor["rect"])
        self.assertEqual(editor["style"] & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
                         WS_SYSMENU)
        self.assertTrue(editor["exstyle"] & WS_EX_TOOLWINDOW)
        self.assertEqual(self.controls(editor), EDITOR_CONTROLS)


if __name__ == "__main__":
    unittest.main()
