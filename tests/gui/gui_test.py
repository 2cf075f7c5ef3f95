#!/usr/bin/env python3
"""Real-window tests of the demo program under an X display (run through tools/with-xvfb.sh).

Every test starts the demo with its own runtime folder, prefix and UI dump, finds what it
needs in the dump (never by guessed coordinates), drives the real pointer and keyboard with
xdotool and reads the screen back with ImageMagick. Waits poll the dump with a deadline.

    gui_test.py DEMO CASE
"""

import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

TIMEOUT = 20.0
BUTTON_BLUE = (0, 102, 255)


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


class Demo:
    """One running demo with a private environment; stopped by close()."""

    def __init__(self, binary, root, args=(), env=None):
        self.binary = binary
        self.root = root
        self.dump = os.path.join(root, "ui-%n.json")
        self.env = dict(os.environ)
        self.env.update({
            "LUMORA_PREFIX": os.path.join(root, "prefix"),
            "XDG_RUNTIME_DIR": os.path.join(root, "run"),
            "LUMORA_UI_DUMP": self.dump,
        })
        os.makedirs(self.env["XDG_RUNTIME_DIR"], mode=0o700, exist_ok=True)
        os.makedirs(self.env["LUMORA_PREFIX"], exist_ok=True)
        if env:
            self.env.update(env)
        self.process = subprocess.Popen([binary, *args], env=self.env)

    def dump_path(self):
        return self.dump.replace("%n", os.path.basename(self.binary))

    def read(self):
        try:
            with open(self.dump_path(), encoding="utf-8") as f:
                return json.load(f)
        except (OSError, ValueError):
            return None

    def wait_for(self, predicate, what):
        deadline = time.monotonic() + TIMEOUT
        while time.monotonic() < deadline:
            check(self.process.poll() is None, "the demo ended early while waiting for " + what)
            state = self.read()
            if state is not None and predicate(state):
                return state
            time.sleep(0.02)
        raise Failure("timed out waiting for " + what + "; last dump: " + json.dumps(self.read()))

    def shown(self):
        # The window manager has mapped the window and a frame was presented into it.
        state = self.wait_for(lambda s: s["frame"] >= 1 and node(s, "button.xps") is not None, "the first frame")
        window = self.window_id()
        run(["xdotool", "windowactivate", "--sync", window])
        return state

    def window_id(self):
        deadline = time.monotonic() + TIMEOUT
        while time.monotonic() < deadline:
            result = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Lumora Demo$"],
                                    capture_output=True, text=True)
            ids = result.stdout.split()
            if ids:
                return ids[0]
            time.sleep(0.05)
        raise Failure("the demo window never became visible")

    def close(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


def run(command, **kwargs):
    result = subprocess.run(command, capture_output=True, text=True, **kwargs)
    check(result.returncode == 0, " ".join(command) + " failed: " + result.stderr)
    return result.stdout


def node(state, name, kind=None):
    for entry in state["nodes"]:
        if entry["name"] == name and (kind is None or entry["kind"] == kind):
            return entry
    return None


def text_node(state, prefix):
    for entry in state["nodes"]:
        if entry["kind"] == "text" and entry["text"].startswith(prefix):
            return entry
    return None


def bind_keysyms(keysyms):
    """Puts each keysym on a keycode the keymap leaves empty."""
    free = []
    for line in run(["xmodmap", "-pke"]).splitlines():
        words = line.split()
        if len(words) == 3 and words[0] == "keycode" and int(words[1]) > 8:
            free.append(int(words[1]))
    check(len(free) >= len(keysyms), "no free keycodes in the keymap")
    for keycode, keysym in zip(free, keysyms):
        run(["xmodmap", "-e", "keycode %d = %s" % (keycode, keysym)])


def screen_point(state, entry, fx=0.5, fy=0.5):
    """The screen pixel at a fraction of a node's rectangle (content pixels scaled)."""
    window = state["window"]
    scale = state["scale"]
    return (window["x"] + int((entry["x"] + entry["w"] * fx) * scale),
            window["y"] + int((entry["y"] + entry["h"] * fy) * scale))


def pixel(x, y):
    out = run(["import", "-silent", "-window", "root", "-crop", "1x1+%d+%d" % (x, y), "-depth", "8", "txt:-"])
    # "0,0: (  0,102,255)  #0066FF  srgb(0,102,255)"
    colour = out.splitlines()[-1].split("#")[1][:6]
    return tuple(int(colour[i:i + 2], 16) for i in (0, 2, 4))


def grab(path, state):
    window = state["window"]
    run(["import", "-silent", "-window", "root", "-crop",
         "%dx%d+%d+%d" % (window["w"], window["h"], window["x"], window["y"]), "+repage", path])


def differing_pixels(a, b):
    result = subprocess.run(["compare", "-metric", "AE", a, b, "null:"], capture_output=True, text=True)
    check(result.returncode in (0, 1), "compare failed: " + result.stderr)
    return int(float(result.stderr.split()[0]))


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


CASES = {name[len("case_"):]: function for name, function in globals().items() if name.startswith("case_")}


def main():
    if len(sys.argv) != 3 or sys.argv[2] not in CASES:
        print("usage: gui_test.py DEMO CASE  (cases: %s)" % ", ".join(sorted(CASES)), file=sys.stderr)
        return 2
    for tool in ("xdotool", "xmodmap", "import", "compare"):
        if shutil.which(tool) is None:
            print("gui_test: %s is missing" % tool, file=sys.stderr)
            return 1
    root = tempfile.mkdtemp(prefix="lumora-gui-")
    try:
        CASES[sys.argv[2]](os.path.abspath(sys.argv[1]), root)
    except Failure as failure:
        print("FAIL: %s" % failure, file=sys.stderr)
        return 1
    finally:
        shutil.rmtree(root, ignore_errors=True)
    print("ok: " + sys.argv[2])
    return 0


if __name__ == "__main__":
    sys.exit(main())
