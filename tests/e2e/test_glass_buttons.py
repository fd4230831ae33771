"""The custom-drawn buttons as a user meets them: idle, hot under the
pointer, pressed; a click on the detail toggle collapses and expands the
window. Screenshots of each state are saved for people to look at."""
import time
import unittest

from skorvel_e2e import START_BUTTON, ProgramTestCase, wait_for

MORE_BUTTON = (155, 285)  # the centre of the detail toggle


class GlassButtons(ProgramTestCase):
    def test_idle_hot_and_pressed_looks(self):
        pid, main = self.start_program()
        origin = self.window(main["hwnd"])["origin"]
        self.xdotool("mousemove", origin[0] + 5, origin[1] + 200)  # bare panel
        self.screenshot("idle")
        self.xdotool("mousemove", origin[0] + START_BUTTON[0], origin[1] + START_BUTTON[1])
        self.screenshot("hot")
        self.xdotool("mousedown", 1)
        self.screenshot("pressed")
        # Released away from the button: no click, so no confirmation.
        self.xdotool("mousemove", origin[0] + 5, origin[1] + 200)
        self.xdotool("mouseup", 1)
        time.sleep(0.5)
        self.assertFalse(any(w["class"] == "#32770" for w in self.visible_windows(pid)))

    def test_detail_toggle_collapses_and_expands(self):
        pid, main = self.start_program()
        toggle = self.child(main["hwnd"], text="Mniej szczegółów")
        self.click_at(main["hwnd"], *MORE_BUTTON)
        wait_for(lambda: self.window(main["hwnd"])["client"] == [318, 309], what="collapsed")
        self.assertEqual(self.window(toggle["hwnd"])["text"], "Więcej szczegółów")
        self.assertFalse(self.child(main["hwnd"], cls="ListBox")["visible"])
        self.screenshot("collapsed")
        self.click_at(main["hwnd"], *MORE_BUTTON)
        wait_for(lambda: self.window(main["hwnd"])["client"] == [318, 421], what="expanded")
        self.assertEqual(self.window(toggle["hwnd"])["text"], "Mniej szczegółów")
        self.assertTrue(self.child(main["hwnd"], cls="ListBox")["visible"])


if __name__ == "__main__":
    unittest.main()
