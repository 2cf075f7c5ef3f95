#!/usr/bin/env python3
"""Real-window tests of the demo's widget gallery under an X display (run through
tools/with-xvfb.sh): typing into the editors, selecting with the mouse, cut/copy/paste
through the desktop clipboard (read and written with xclip), a radio button and the
slider's thumb. Positions come from the UI dump only.

    gallery_test.py DEMO CASE
"""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from ui_driver import TIMEOUT, Demo, bind_keysyms, cases_of, check, main, nodes, run, screen_point  # noqa: E402


def editor(state, name):
    for entry in state["nodes"]:
        if entry["kind"] == "editor" and entry["name"] == name:
            return entry
    return None


class Gallery(Demo):
    def __init__(self, binary, root, args=()):
        super().__init__(binary, root, ["--gallery", "--still", *args])

    def shown(self):
        state = self.wait_for(lambda s: s["frame"] >= 1 and editor(s, "multi-line") is not None, "the gallery")
        run(["xdotool", "windowactivate", "--sync", self.window_id()])
        return state

    def text_of(self, name):
        state = self.read()
        entry = editor(state, name) if state else None
        return entry["text"] if entry else None

    def click_single_line_end(self, state):
        """A click at the right end of the single-line field puts the caret after its text."""
        x, y = screen_point(state, editor(state, "single-line"), 0.95, 0.5)
        click_at(x, y)
        self.wait_for(lambda s: editor(s, "single-line")["focused"], "the single-line field to take the focus")

    def wait_text(self, name, wanted):
        return self.wait_for(lambda s: editor(s, name) is not None and editor(s, name)["text"] == wanted,
                             "%s to read %r" % (name, wanted))


def clipboard_out():
    result = subprocess.run(["xclip", "-selection", "clipboard", "-o"], capture_output=True, timeout=TIMEOUT)
    return result.stdout.decode("utf-8", "replace") if result.returncode == 0 else None


def clipboard_in(text):
    # xclip stays in the background to serve the selection until another program takes it.
    subprocess.run(["xclip", "-selection", "clipboard", "-i"], input=text.encode("utf-8"), check=True,
                   timeout=TIMEOUT)


def click_at(x, y):
    run(["xdotool", "mousemove", str(x), str(y), "sleep", "0.05", "click", "1"])


def drag(x1, y, x2):
    """Presses the left button at x1,y and moves it along the row through the middle to x2."""
    run(["xdotool", "mousemove", str(x1), str(y), "sleep", "0.1", "mousedown", "1", "sleep", "0.1",
         "mousemove", str((x1 + x2) // 2), str(y), "sleep", "0.1", "mousemove", str(x2), str(y), "sleep", "0.1",
         "mouseup", "1"])


# --- the cases -----------------------------------------------------------------------

def case_typing_arrives_in_cp1252(binary, root):
    gallery = Gallery(binary, root)
    try:
        state = gallery.shown()
        bind_keysyms(["eacute", "ssharp"])
        # The multi-line field has the focus with the caret at the end.
        before = editor(state, "multi-line")["text"]
        run(["xdotool", "type", "--delay", "40", "café Straße"])
        gallery.wait_text("multi-line", before + "café Straße")
        gallery.click_single_line_end(state)
        run(["xdotool", "type", "--delay", "40", " é/ß"])
        gallery.wait_text("single-line", "Single line é/ß")
        check(gallery.text_of("multi-line") == before + "café Straße", "typing went to both fields")
    finally:
        gallery.close()


def case_select_copy_paste(binary, root):
    gallery = Gallery(binary, root)
    try:
        state = gallery.shown()
        multi = editor(state, "multi-line")
        text = multi["text"]
        # Drag across the first line from its left edge to the middle of the field.
        x1, y1 = screen_point(state, multi, 0.0, 0.0)
        x2, _ = screen_point(state, multi, 0.5, 0.0)
        scale = state["scale"]
        y1 += 8 * scale
        x1 += 1
        drag(x1, y1, x2)
        gallery.wait_for(lambda s: editor(s, "multi-line")["selected"], "the drag to select")
        run(["xdotool", "key", "ctrl+c"])
        deadline = time.monotonic() + TIMEOUT
        copied = None
        while time.monotonic() < deadline:
            copied = clipboard_out()
            if copied:
                break
            time.sleep(0.1)
        check(copied is not None and len(copied) >= 5 and text.startswith(copied),
              "xclip read %r, not the start of %r" % (copied, text))
        check(len(copied) < len(text.split("\n")[0]), "the drag selected more than half a line: %r" % copied)

        # Cut removes the selection and leaves it on the clipboard.
        run(["xdotool", "key", "ctrl+x"])
        gallery.wait_text("multi-line", text[len(copied):])
        check(clipboard_out() == copied, "cut did not leave the text on the clipboard")

        # Paste at the end of the single-line field.
        gallery.click_single_line_end(state)
        run(["xdotool", "key", "ctrl+v"])
        gallery.wait_text("single-line", "Single line" + copied)

        # Text another program put on the clipboard comes in as Windows-1252 characters;
        # the one without a place in the code page is dropped.
        clipboard_in(" Grüße ✓ daß")
        run(["xdotool", "key", "ctrl+v"])
        gallery.wait_text("single-line", "Single line" + copied + " Grüße  daß")
    finally:
        gallery.close()


def case_radio_click_selects(binary, root):
    gallery = Gallery(binary, root)
    try:
        state = gallery.shown()
        radios = sorted(nodes(state, "radio"), key=lambda e: e["x"])
        check(len(radios) == 3, "three radio buttons are listed")
        check([r["selected"] for r in radios] == [False, True, False], "the middle one starts selected")
        x, y = screen_point(state, radios[2])
        click_at(x, y)
        state = gallery.wait_for(
            lambda s: [r["selected"] for r in sorted(nodes(s, "radio"), key=lambda e: e["x"])] == [False, False, True],
            "the clicked radio button to be the only one selected")
        x, y = screen_point(state, radios[0])
        click_at(x, y)
        gallery.wait_for(
            lambda s: [r["selected"] for r in sorted(nodes(s, "radio"), key=lambda e: e["x"])] == [True, False, False],
            "the first radio button to be the only one selected")
    finally:
        gallery.close()


def case_slider_thumb_drags(binary, root):
    gallery = Gallery(binary, root)
    try:
        state = gallery.shown()
        slider = [s for s in nodes(state, "slider") if s["event"] != 0]
        check(len(slider) == 1, "the gallery's slider is listed")
        slider = slider[0]
        check(slider["text"] == "30", "the slider starts at 30")
        thumbs = nodes(state, "sprite", "gallery-knob.xps")
        check(len(thumbs) == 1, "the thumb is listed")
        thumb = thumbs[0]
        x, y = screen_point(state, thumb)
        x_end, _ = screen_point(state, slider, 0.75, 0.5)
        drag(x, y, x_end)
        state = gallery.wait_for(
            lambda s: [e for e in nodes(s, "slider") if e["event"] != 0][0]["text"] != "30"
            and any(t["kind"] == "text" and t["text"] == "Slider: " + [e for e in nodes(s, "slider") if e["event"] != 0][0]["text"]
                    for t in s["nodes"]),
            "the drag to move the slider and its label")
        value = int([e for e in nodes(state, "slider") if e["event"] != 0][0]["text"])
        # The thumb's centre went to three quarters of the track: about 75 of 0..100.
        check(65 <= value <= 85, "the thumb dragged to three quarters gave %d" % value)
        moved = nodes(state, "sprite", "gallery-knob.xps")[0]
        check(moved["x"] > thumb["x"], "the thumb did not move right")
    finally:
        gallery.close()


CASES = cases_of(globals())


if __name__ == "__main__":
    sys.exit(main("gallery_test", CASES, ("xdotool", "xmodmap", "xclip"), "lumora-gallery-"))
