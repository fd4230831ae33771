"""The program's life in the tray, with real X input on the icon: Wine shows
tray icons in its own "Wine System Tray" window when no desktop shell runs."""
import subprocess
import time
import unittest

from skorvel_e2e import (SC_MINIMIZE, WM_SYSCOMMAND, SystemTestCase, wait_for, write_filter)

WS_MINIMIZE = 0x20000000
DEFAULT_TICKS = [False, False] + [True] * 7 + [False, True]


def setUpModule():
    # Title bars drawn by Wine itself, with no window manager on the display.
    subprocess.run(["wine", "reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed",
                    "/d", "N", "/f"], capture_output=True, check=True)


class Tray(SystemTestCase):
    # --- the tray as the user sees it -------------------------------------
    def icon_point(self):
        """The centre of the first icon's 20 x 20 cell (the window may carry a
        title bar drawn by Wine)."""
        origin = wait_for(self.tray_window, what="the tray")["origin"]
        return origin[0] + 10, origin[1] + 10

    def double_click_icon(self):
        x, y = self.icon_point()
        self.xdotool("mousemove", x, y)
        time.sleep(0.2)
        self.xdotool("click", "--repeat", 2, "--delay", 80, 1)

    def open_tray_menu(self, pid):
        x, y = self.icon_point()
        self.xdotool("mousemove", x, y)
        time.sleep(0.2)
        self.xdotool("click", 3)
        menu = wait_for(lambda: next((m for m in self.menus(pid)
                                      if m["popup"] and m["visible"]), None),
                        what="the tray menu")
        return (x, y), menu

    def menu_texts(self, menu):
        return [i["text"] for i in menu["items"] if not i["separator"]]

    def choose_tray_item(self, pid, caption):
        _, menu = self.open_tray_menu(pid)
        item = next(i for i in menu["items"] if i["text"] == caption)
        left, top, right, bottom = item["rect"]
        self.xdotool("mousemove", (left + right) // 2, (top + bottom) // 2)
        time.sleep(0.2)
        self.xdotool("click", 1)

    # --- the window ---------------------------------------------------------
    def hidden_to_tray(self, pid, main):
        """Hidden, not minimised, and nothing of the program left on screen
        that could carry a taskbar button."""
        wait_for(lambda: not self.window(main["hwnd"])["visible"], what="the window hidden")
        self.assertFalse(self.window(main["hwnd"])["style"] & WS_MINIMIZE)
        self.assertEqual(self.visible_windows(pid), [])
        self.assertIsNotNone(self.tray_window(), "the icon stays")

    def shown_where_it_was(self, main, rect):
        shown = wait_for(lambda: (lambda w: w if w["visible"] else None)(self.window(main["hwnd"])),
                         what="the window shown")
        self.assertEqual(shown["rect"], rect)
        self.assertFalse(shown["style"] & WS_MINIMIZE)
        self.assertEqual(self.ticks(main), DEFAULT_TICKS)

    def start_moved(self):
        pid, main = self.start_program()
        self.driver.call("move", main["hwnd"], 200, 120)
        main = self.window(main["hwnd"])
        wait_for(lambda: self.tray_window(), what="the tray icon")
        return pid, main

    # --- the tests ------------------------------------------------------------
    def test_right_click_opens_the_menu_and_zamknij_ends_the_program(self):
        pid, main = self.start_program()
        self.screenshot("main-window")
        self.assertIsNotNone(wait_for(self.tray_window, what="the tray icon"))
        time.sleep(0.5)  # the menu timer has ticked
        (x, y), menu = self.open_tray_menu(pid)
        self.screenshot("tray-menu")
        self.assertEqual(self.menu_texts(menu), ["Ukryj", "Zamknij"])
        left, top = menu["items"][0]["rect"][:2]
        self.assertLessEqual(abs(left - x), 8, "the menu opens at the pointer")
        self.assertLessEqual(abs(top - y), 8, "the menu opens at the pointer")

        item = next(i for i in menu["items"] if i["text"] == "Zamknij")
        self.xdotool("mousemove", (item["rect"][0] + item["rect"][2]) // 2,
                     (item["rect"][1] + item["rect"][3]) // 2)
        time.sleep(0.2)
        self.xdotool("click", 1)
        self.assertEqual(self.wait_exit(pid), {"exited": True, "code": 0})
        self.started.remove(pid)
        wait_for(lambda: self.tray_window() is None, what="the icon to leave the tray")

    def test_double_click_hides_and_brings_back_with_default_ticks(self):
        pid, main = self.start_moved()
        self.click_row_box(main, 0)
        wait_for(lambda: self.ticks(main)[0], what="row 0 ticked")

        self.double_click_icon()
        self.hidden_to_tray(pid, main)
        time.sleep(0.3)
        _, menu = self.open_tray_menu(pid)
        self.assertEqual(self.menu_texts(menu), ["Pokaż", "Zamknij"])
        self.screenshot("tray-menu-hidden")
        self.xdotool("mousemove", 900, 700)
        time.sleep(0.2)
        self.xdotool("click", 1)  # a click elsewhere closes the menu
        wait_for(lambda: not any(m["popup"] and m["visible"] for m in self.menus(pid)),
                 what="the menu closed")

        time.sleep(0.6)  # not taken for the second half of a double-click
        self.double_click_icon()
        self.shown_where_it_was(main, main["rect"])
        self.screenshot("shown-again")

    def test_minimise_command_hides_and_pokaz_brings_back(self):
        pid, main = self.start_moved()
        self.post(main["hwnd"], WM_SYSCOMMAND, SC_MINIMIZE, 0)
        self.hidden_to_tray(pid, main)
        time.sleep(0.3)
        self.choose_tray_item(pid, "Pokaż")
        self.shown_where_it_was(main, main["rect"])

        time.sleep(0.3)
        self.choose_tray_item(pid, "Ukryj")
        self.hidden_to_tray(pid, main)

    def test_closing_while_optimised_restores_nothing(self):
        write_filter(self.folder, "komunikatory", ["chat.exe"], "utf-8-sig")
        self.app("chat.exe")
        pid, main = self.start_program()
        self.press_start_button(main)
        self.confirm(pid)
        wait_for(lambda: self.restore_mode(main), what="restore mode")
        wait_for(lambda: not self.running("chat.exe"), what="chat.exe closed")
        time.sleep(0.3)
        self.choose_tray_item(pid, "Zamknij")
        self.assertEqual(self.wait_exit(pid), {"exited": True, "code": 0})
        self.started.remove(pid)
        time.sleep(2)
        self.assertEqual(self.running("chat.exe"), [])


if __name__ == "__main__":
    unittest.main()
