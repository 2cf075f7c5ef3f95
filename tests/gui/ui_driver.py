"""Drives a Lumora program's real window under an X display for the GUI tests: starts it with
its own runtime folder, prefix and UI dump, finds what it needs in the dump (never by guessed
coordinates), works the real pointer and keyboard with xdotool and reads the screen back with
ImageMagick. Waits poll the dump with a deadline of TIMEOUT seconds, which a script may raise.
"""

import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

TIMEOUT = 20.0


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


def nodes(state, kind, name=None):
    return [e for e in state["nodes"] if e["kind"] == kind and (name is None or e["name"] == name)]


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


def cases_of(names):
    """The test cases of a script: its functions case_NAME, by NAME."""
    return {name[len("case_"):]: function for name, function in names.items() if name.startswith("case_")}


def main(script, cases, tools, prefix):
    """Runs the case named on the command line (PROGRAM CASE) in a temporary folder that is
    removed afterwards; SCRIPT names the caller in messages, TOOLS must be on the PATH."""
    if len(sys.argv) != 3 or sys.argv[2] not in cases:
        print("usage: %s.py DEMO CASE  (cases: %s)" % (script, ", ".join(sorted(cases))), file=sys.stderr)
        return 2
    for tool in tools:
        if shutil.which(tool) is None:
            print("%s: %s is missing" % (script, tool), file=sys.stderr)
            return 1
    root = tempfile.mkdtemp(prefix=prefix)
    try:
        cases[sys.argv[2]](os.path.abspath(sys.argv[1]), root)
    except Failure as failure:
        print("FAIL: %s" % failure, file=sys.stderr)
        return 1
    finally:
        shutil.rmtree(root, ignore_errors=True)
    print("ok: " + sys.argv[2])
    return 0
