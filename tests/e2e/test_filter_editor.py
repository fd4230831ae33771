"""The filter editor as a user meets it: opened from the main menu, a category
picked in the drop-down with the mouse, loaded, a keyword typed and added,
an entry selected and deleted with Del, saved; cancel leaves the file alone;
F2 does nothing while the editor is open; closed and reopened it is empty and
where it was left. A save that fails shows the program's error box over the
editor, which takes no input until the box is closed and then has the keyboard
where it was. Screenshots of both modes and of the error box are saved."""
import glob
import os
import stat
import time
import unittest

from skorvel_e2e import ProgramTestCase, wait_for

# Centres of the editor's controls in its client area.
WCZYTAJ = (272, 95)
DODAJ = (272, 289)
ZAMKNIJ = (34, 338)
ANULUJ = (214, 338)
ZAPISZ = (278, 338)
COMBO = (124, 95)
ENTRY = (124, 289)
LIST_LEFT, LIST_TOP, ROW = 12 + 2, 112 + 2, 13  # inside the list's sunken border
TOP_PANEL = (220, 50)


class FilterEditor(ProgramTestCase):
    def setUp(self):
        super().setUp()
        self.filters = os.path.join(self.folder, "filters", "skorvel")
        os.makedirs(self.filters)
        self.files = {
            "komunikatory.txt": b"b.exe\r\na.exe\r\n",
            "nowe.txt": b"\xef\xbb\xbfx.exe\r\n",
            "INNE.TXT": b"y.exe\r\n",
        }
        for name, data in self.files.items():
            self.write(name, data)

    def write(self, name, data):
        with open(os.path.join(self.filters, name), "wb") as f:
            f.write(data)

    def read(self, name):
        with open(os.path.join(self.filters, name), "rb") as f:
            return f.read()

    # --- the editor as seen from outside --------------------------------------
    def open_editor(self, pid, main):
        self.choose_menu(pid, main["hwnd"], "Menu główne", "Edytor filtrów")
        editor = wait_for(lambda: next((w for w in self.visible_windows(pid)
                                        if w["text"] == "Edytor"), None), what="the editor")
        wait_for(lambda: not self.window(main["hwnd"])["enabled"], what="the main window disabled")
        return editor

    def controls(self, editor):
        kids = self.children(editor["hwnd"])
        named = {c["text"]: c for c in kids if c["text"]}
        named["combo"] = next(c for c in kids if c["class"] == "ComboBox")
        named["list"] = next(c for c in kids if c["class"] == "ListBox")
        named["edit"] = next(c for c in kids if c["class"] == "Edit")
        return named

    def enabled(self, editor):
        c = self.controls(editor)
        return {name: self.window(c[name]["hwnd"])["enabled"]
                for name in ("Wczytaj", "combo", "Zapisz", "Anuluj", "Dodaj", "edit")}

    def assert_mode(self, editor, editing):
        expected = {"Wczytaj": not editing, "combo": not editing, "Zapisz": editing,
                    "Anuluj": editing, "Dodaj": editing, "edit": editing}
        wait_for(lambda: self.enabled(editor) == expected,
                 what="the controls of the " + ("editing" if editing else "choosing") + " mode")

    def combo(self, editor):
        return self.driver.call("combobox", self.controls(editor)["combo"]["hwnd"])

    def entries(self, editor):
        return [i["text"] for i in
                self.driver.call("listbox", self.controls(editor)["list"]["hwnd"])["items"]]

    def pick_category(self, pid, editor, caption):
        """Opens the drop-down with a click and clicks the caption's row."""
        index = self.combo(editor)["items"].index(caption)
        self.click_at(editor["hwnd"], *COMBO)
        drop = wait_for(lambda: next((w for w in self.visible_windows(pid)
                                      if w["class"] == "ComboLBox"), None), what="the drop-down")
        rows = self.driver.call("listbox", drop["hwnd"])
        height = rows["item_height"]
        self.click_at(drop["hwnd"], 20, (index - rows["top"]) * height + height // 2)
        wait_for(lambda: self.combo(editor)["selected"] == index, what=f"{caption} selected")

    def load(self, pid, editor, caption):
        self.pick_category(pid, editor, caption)
        self.click_at(editor["hwnd"], *WCZYTAJ)
        self.assert_mode(editor, editing=True)

    # --- the tests ------------------------------------------------------------
    def test_load_add_delete_save_cancel_and_reopen(self):
        pid, main = self.start_program()
        editor = self.open_editor(pid, main)
        combo = self.combo(editor)
        self.assertEqual(sorted(combo["items"]), ["INNE.TXT", "Komunikatory", "nowe"])
        self.assertEqual(combo["selected"], -1)
        self.assertEqual(self.entries(editor), [])
        self.assert_mode(editor, editing=False)
        self.screenshot("choosing")

        # F2 (the about box of the main window) does nothing while the editor is open.
        self.click_at(editor["hwnd"], *ENTRY)
        self.xdotool("key", "F2")
        time.sleep(1.0)
        self.assertFalse(any(w["class"] == "#32770" for w in self.visible_windows(pid)))

        # INNE.TXT looks for INNE.TXT.txt: nothing happens.
        self.pick_category(pid, editor, "INNE.TXT")
        self.click_at(editor["hwnd"], *WCZYTAJ)
        time.sleep(0.5)
        self.assert_mode(editor, editing=False)
        self.assertEqual(self.entries(editor), [])

        self.load(pid, editor, "nowe")
        self.assertEqual(self.entries(editor), ["x.exe"])
        self.click_at(editor["hwnd"], *ENTRY)
        self.xdotool("type", "--delay", "50", "nowy.exe")
        wait_for(lambda: self.window(self.controls(editor)["edit"]["hwnd"])["text"] == "nowy.exe",
                 what="the typed keyword")
        self.click_at(editor["hwnd"], *DODAJ)
        wait_for(lambda: self.entries(editor) == ["nowy.exe", "x.exe"], what="the added entry")
        self.assertEqual(self.window(self.controls(editor)["edit"]["hwnd"])["text"], "")
        self.screenshot("editing")

        self.click_at(editor["hwnd"], LIST_LEFT + 30, LIST_TOP + ROW + ROW // 2)  # "x.exe"
        self.xdotool("key", "Delete")
        wait_for(lambda: self.entries(editor) == ["nowy.exe"], what="the deleted entry")
        self.click_at(editor["hwnd"], *ZAPISZ)
        self.assert_mode(editor, editing=False)
        self.assertEqual(self.read("nowe.txt"), b"\xef\xbb\xbfnowy.exe\r\n")
        self.assertEqual(self.entries(editor), ["nowy.exe"])  # shown until the next load
        self.assertEqual(sorted(os.listdir(self.filters)), sorted(self.files))  # no leftovers

        # Cancel leaves the file as it was.
        self.load(pid, editor, "Komunikatory")
        self.assertEqual(self.entries(editor), ["a.exe", "b.exe"])
        self.click_at(editor["hwnd"], LIST_LEFT + 30, LIST_TOP + ROW // 2)
        self.xdotool("key", "Delete")
        wait_for(lambda: self.entries(editor) == ["b.exe"], what="the deleted entry")
        self.click_at(editor["hwnd"], *ANULUJ)
        self.assert_mode(editor, editing=False)
        self.assertEqual(self.entries(editor), [])
        self.assertEqual(self.read("komunikatory.txt"), self.files["komunikatory.txt"])

        # Dragged by its top panel, closed with unsaved changes, reopened: empty,
        # nothing selected, where it was left.
        self.load(pid, editor, "Komunikatory")
        before = self.window(editor["hwnd"])["rect"]
        origin = self.window(editor["hwnd"])["origin"]
        self.xdotool("mousemove", origin[0] + TOP_PANEL[0], origin[1] + TOP_PANEL[1])
        self.xdotool("mousedown", 1)
        for step in range(1, 5):
            time.sleep(0.1)
            self.xdotool("mousemove", origin[0] + TOP_PANEL[0] + 10 * step,
                         origin[1] + TOP_PANEL[1] + 8 * step)
        self.xdotool("mouseup", 1)
        moved = wait_for(lambda: (lambda r: r if r != before else None)(
            self.window(editor["hwnd"])["rect"]), what="the editor moved")
        self.assertEqual(moved[0] - before[0], 40)
        self.assertEqual(moved[1] - before[1], 32)

        self.click_at(editor["hwnd"], *ZAMKNIJ)
        wait_for(lambda: not self.window(editor["hwnd"])["visible"], what="the editor closed")
        wait_for(lambda: self.window(main["hwnd"])["enabled"], what="the main window enabled")
        self.assertEqual(self.read("komunikatory.txt"), self.files["komunikatory.txt"])

        editor = self.open_editor(pid, main)
        self.assertEqual(self.window(editor["hwnd"])["rect"], moved)
        self.assertEqual(self.entries(editor), [])
        self.assertEqual(self.combo(editor)["selected"], -1)
        self.assert_mode(editor, editing=False)

    def test_error_box_of_a_failed_save_holds_the_editor(self):
        pid, main = self.start_program()
        editor = self.open_editor(pid, main)
        self.load(pid, editor, "Komunikatory")
        edit = self.controls(editor)["edit"]["hwnd"]
        # The focus went from the drop-down the load disabled to the list;
        # Tab leads on to the text field.
        self.xdotool("key", "Tab")
        self.xdotool("type", "--delay", "50", "nowy.exe")
        wait_for(lambda: self.window(edit)["text"] == "nowy.exe", what="the typed keyword")

        path = os.path.join(self.filters, "komunikatory.txt")
        os.chmod(path, stat.S_IRUSR | stat.S_IRGRP | stat.S_IROTH)
        try:
            self.click_at(editor["hwnd"], *ZAPISZ)
            box = self.message_box(pid)
            self.assertEqual(box["caption"], "Skorvel")
            self.assertEqual(box["window"]["owner"], editor["hwnd"])
            self.assertFalse(self.window(editor["hwnd"])["enabled"])
            self.screenshot("error-box")
            # Clicked again while the box is up (moved off the button first),
            # "Zapisz" does nothing: no second box stacks on the first.
            self.driver.call("move", box["hwnd"], 0, 0)
            self.click_at(editor["hwnd"], *ZAPISZ)
            time.sleep(1.0)
            self.assertEqual(len([w for w in self.visible_windows(pid)
                                  if w["class"] == "#32770"]), 1)
            self.answer(box, "OK")
            wait_for(lambda: self.window(editor["hwnd"])["enabled"], what="the editor enabled")
        finally:
            os.chmod(path, stat.S_IRUSR | stat.S_IWUSR | stat.S_IRGRP | stat.S_IROTH)
        self.assertEqual(self.read("komunikatory.txt"), self.files["komunikatory.txt"])
        self.assertEqual(len(glob.glob(os.path.join(self.folder, "log", "skorvel", "*.log"))), 1)

        # Still editing, the keyboard where it was: typing goes on in the field.
        self.assert_mode(editor, editing=True)
        self.xdotool("type", "--delay", "50", "x")
        wait_for(lambda: self.window(edit)["text"] == "nowy.exex", what="typing after the box")
        self.click_at(editor["hwnd"], *DODAJ)
        self.click_at(editor["hwnd"], *ZAPISZ)
        self.assert_mode(editor, editing=False)
        self.assertEqual(self.read("komunikatory.txt"), b"a.exe\r\nb.exe\r\nnowy.exex\r\n")


if __name__ == "__main__":
    unittest.main()
