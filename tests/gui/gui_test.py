#!/usr/bin/env python3
"""Real-window tests of the demo program under an X display (run through tools/with-xvfb.sh).

Every test starts the demo with its own runtime folder, prefix and UI dump, finds what it
needs in the dump (never by guessed coordinates), drives the real pointer and keyboard with
xdotool and reads the screen back with ImageMagick. Waits poll the dump with a deadline.

    gui_test.py DEMO CASE
"""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from ui_driver import (TIMEOUT, Demo, bind_keysyms, cases_of, check, differing_pixels, grab, main,  # noqa: E402
                       node, pixel, run, screen_point, text_node)

BUTTON_BLUE = (0, 102, 255)


# --- the cases -----------------------------------------------------------------------

def case_click_changes_pixels(binary, root):
    demo = Demo(binary, root, ["--still"])
    try:
        state = demo.shown()
        button = node(state, "button.xps", "sprite")
        x, y = screen_point(state, button, 0.5, 0.7)
        before = pixel(x, y)
        check(before == BUTTON_BLUE, "the button is not where the dump says: %s at %d,%d" % (before, x, y))
        frame = state["frame"]
        run(["xdotool", "mousemove", str(x), str(y), "click", "1"])
        state = demo.wait_for(lambda s: text_node(s, "Clicks: 1") is not None and s["frame"] > frame,
                              "the click to be shown")
        after = pixel(x, y)
        check(after != before, "the click did not change the presented pixels (%s)" % (after,))
    finally:
        demo.close()


def case_typed_text_is_cp1252(binary, root):
    demo = Demo(binary, root, ["--still"])
    try:
        demo.shown()
        window = demo.window_id()
        run(["xdotool", "windowactivate", "--sync", window])
        # Characters missing from the keymap would be typed through a keycode that xdotool
        # remaps for each one, and the client may read the key after the mapping changed
        # back; so they get keys of their own first, as on a keyboard that has them.
        bind_keysyms(["eacute", "ssharp", "EuroSign"])
        run(["xdotool", "type", "--delay", "50", "aé ß€"])
        state = demo.wait_for(lambda s: text_node(s, "Typed: ") is not None
                              and text_node(s, "Typed: ")["text"] == "Typed: aé ß€", "the typed text")
        check(state["page"] == 1, "the demo left its page")
    finally:
        demo.close()


def case_second_start_forwards(binary, root):
    first = Demo(binary, root, ["--still"])
    try:
        first.shown()
        second = subprocess.run([binary, "hello", "two words"], env=first.env, timeout=TIMEOUT)
        check(second.returncode == 0, "the second start exited with %d" % second.returncode)
        first.wait_for(lambda s: text_node(s, 'Received: CMDLINE=hello "two words"') is not None,
                       "the forwarded command line")
        # An empty command line forwards nothing but still ends the second start at once.
        second = subprocess.run([binary], env=first.env, timeout=TIMEOUT)
        check(second.returncode == 0, "the second start without arguments exited with %d" % second.returncode)
        check(first.process.poll() is None, "the first instance ended")
    finally:
        first.close()


def case_matches_headless(binary, root):
    reference = os.path.join(root, "headless.png")
    env = dict(os.environ, LUMORA_HEADLESS="1", LUMORA_PREFIX=os.path.join(root, "prefix"),
               XDG_RUNTIME_DIR=os.path.join(root, "run-headless"))
    os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
    subprocess.run([binary, "--still", "--save-png=" + reference], env=env, timeout=TIMEOUT, check=True)
    demo = Demo(binary, root, ["--still"], {"LUMORA_SCALE": "1"})
    try:
        state = demo.shown()
        check(state["scale"] == 1, "LUMORA_SCALE=1 was not honoured")
        shot = os.path.join(root, "window.png")
        # The window manager may still be settling the frame: take the first stable picture.
        deadline = time.monotonic() + TIMEOUT
        while True:
            state = demo.read() or state
            grab(shot, state)
            differ = differing_pixels(shot, reference)
            if differ == 0 or time.monotonic() > deadline:
                break
            time.sleep(0.1)
        check(differ == 0, "%d pixels of the window differ from the headless rendering" % differ)
    finally:
        demo.close()


def case_dump_names_clickable_sprite(binary, root):
    demo = Demo(binary, root, ["--still"])
    try:
        state = demo.shown()
        check(state["scale"] == 2, "a 1600x1200 screen shows 640x480 content twice as large")
        check(state["window"]["w"] == 1280 and state["window"]["h"] == 960, "window size in screen pixels")
        button = node(state, "button.xps")
        check(button is not None and button["kind"] == "sprite" and button["visible"] and button["focused"],
              "the button is listed as a visible, focused sprite")
        for fx, fy in ((0.2, 0.6), (0.5, 0.9), (0.9, 0.5)):
            x, y = screen_point(state, button, fx, fy)
            check(pixel(x, y) == BUTTON_BLUE, "no button colour at %.1f,%.1f of its rectangle" % (fx, fy))
        x, y = screen_point(state, button, 0, 0.5)
        check(pixel(x - 8, y) != BUTTON_BLUE, "the button colour reaches beyond its rectangle")
        labels = [entry["text"] for entry in state["nodes"] if entry["kind"] == "text"]
        check("Clicks: 0" in labels, "the text sprites are listed with their texts")
    finally:
        demo.close()


# Key codes of the framework's key table (framework/NKeyTable.h).
KEY_CODES = {"Left": 150, "Right": 151, "Up": 152, "Down": 153, "Home": 146, "F1": 161, "F5": 165, "F12": 172,
             "KP_0": 128, "KP_7": 135, "KP_Add": 139, "comma": 40}


def case_keys_map_by_place(binary, root):
    # Arrows, function keys and the keypad come through the window system's key numbers
    # to the framework's codes; the keypad's keys count as keypad keys whatever Num Lock
    # makes of them, the comma as the comma key (not the print key its character's code names).
    demo = Demo(binary, root, ["--still"])
    try:
        demo.shown()
        for keysym, code in KEY_CODES.items():
            run(["xdotool", "key", keysym])
            demo.wait_for(lambda s: text_node(s, "Key: ") is not None and text_node(s, "Key: ")["text"] == "Key: %d" % code,
                          "%s to arrive as key %d" % (keysym, code))
    finally:
        demo.close()


BACKDROP = (0x20, 0x30, 0x48)


def backdrop_clicks(state):
    entry = text_node(state, "Backdrop clicks: ")
    return int(entry["text"].split(": ")[1]) if entry else None


def case_backdrop_window_below(binary, root):
    # Openbox leaves the borderless backdrop where it was put: a window of its own covering
    # the screen, the main window in its place above it.
    demo = Demo(binary, root, ["--still", "--backdrop"])
    try:
        state = demo.shown()
        window = state["window"]
        check(window["w"] == 1280 and window["h"] == 960, "the main window keeps the content's size")
        check(pixel(5, 5) == BACKDROP, "the backdrop colour does not fill the screen's corner")
        ids = run(["xdotool", "search", "--onlyvisible", "--name", "^Lumora Demo$"]).split()
        check(len(ids) == 2, "the backdrop is a window of its own (%d windows)" % len(ids))
        run(["xdotool", "mousemove", "5", "5", "click", "1"])
        demo.wait_for(lambda s: backdrop_clicks(s) == 1, "the backdrop click to reach the program")
        # The main window stays in front: its button is still where the dump says.
        state = demo.read()
        x, y = screen_point(state, node(state, "button.xps"), 0.5, 0.7)
        check(pixel(x, y) == BUTTON_BLUE, "the backdrop covered the main window")
    finally:
        demo.close()


def case_backdrop_covering(binary, root):
    # Where the backdrop window is not honoured (forced here), the main window fills the
    # screen with the content centred on the backdrop colour.
    demo = Demo(binary, root, ["--still", "--backdrop"], {"LUMORA_BACKDROP": "cover"})
    try:
        state = demo.shown()
        window = state["window"]
        check((window["x"], window["y"]) == ((1600 - 1280) // 2, (1200 - 960) // 2),
              "the content is not centred: %s" % window)
        ids = run(["xdotool", "search", "--onlyvisible", "--name", "^Lumora Demo$"]).split()
        check(len(ids) == 1, "no backdrop window while covering (%d windows)" % len(ids))
        for x, y in ((5, 5), (1595, 1195), (window["x"] - 3, 600), (800, window["y"] + window["h"] + 3)):
            check(pixel(x, y) == BACKDROP, "no backdrop colour at %d,%d" % (x, y))
        # Input inside the content lands where the dump says; outside it is the backdrop's.
        button = node(state, "button.xps")
        x, y = screen_point(state, button, 0.5, 0.7)
        check(pixel(x, y) == BUTTON_BLUE, "the button is not where the dump says")
        run(["xdotool", "mousemove", str(x), str(y), "click", "1"])
        demo.wait_for(lambda s: text_node(s, "Clicks: 1") is not None, "the click on the centred content")
        run(["xdotool", "mousemove", "40", "40", "click", "1"])
        demo.wait_for(lambda s: backdrop_clicks(s) == 1, "the click around the content to reach the backdrop")
        check(text_node(demo.read(), "Clicks: 1") is not None, "the backdrop click reached the content")
    finally:
        demo.close()


CASES = cases_of(globals())


if __name__ == "__main__":
    sys.exit(main("gui_test", CASES, ("xdotool", "xmodmap", "import", "compare"), "lumora-gui-"))
