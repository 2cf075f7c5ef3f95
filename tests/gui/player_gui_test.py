#!/usr/bin/env python3
"""The album player in a real window, started the way the Maker starts it: the album tool's
"launch" runs the ".Qip" open command registered in the test's own prefix.

    player_gui_test.py QIPALBUM LUMORA_REG PLAYER THEME PHOTO...

The player's UI dump shows the first slide's number ("1 / N"); a Right key press in the
window moves it to the second; moving the pointer shows the control bar, whose Next button
(found in the dump) moves it to the third when clicked. F covers the screen: a grab of it
shows the slide centred, enlarged by a whole factor, on black, and the bar's Next button
still works there; F gives the window back its place, and Escape leaves full screen before
a second one ends the player. PLAYER_GUI_SHOT, when set, keeps the last screen grab there.
"""

import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from ui_driver import TIMEOUT, Failure, check  # noqa: E402


def run(command, env):
    result = subprocess.run(command, capture_output=True, text=True, env=env)
    check(result.returncode == 0, " ".join(command) + " failed: " + result.stdout + result.stderr)
    return result.stdout


def host(path):
    # The drive table maps "/" to Z:.
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def main():
    qipalbum, reg, player, theme = sys.argv[1:5]
    photos = sys.argv[5:]
    with tempfile.TemporaryDirectory(prefix="lumora-player-gui-") as root:
        env = dict(os.environ)
        env.update({
            "LUMORA_PREFIX": os.path.join(root, "prefix"),
            "XDG_RUNTIME_DIR": os.path.join(root, "run"),
            "LUMORA_UI_DUMP": os.path.join(root, "ui-%n.json"),
            # Windowed at its own size, so that full screen has to enlarge the show.
            "LUMORA_SCALE": "1",
        })
        os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
        os.makedirs(env["LUMORA_PREFIX"])
        album = os.path.join(root, "walk.Qip")
        run([qipalbum, "make", "--out", album, "--theme", theme, "--string", "INTt=Autumn walk",
             "--string", "CRDt=Made with love", *photos], env)
        run([reg, "add", "HKCR\\.Qip", "/ve", "/d", "LumoraAlbum", "/f"], env)
        run([reg, "add", "HKCR\\LumoraAlbum\\Shell\\open\\command", "/ve", "/d",
             '"%s" "%%1"' % host(player), "/f"], env)
        # The player outlives the tool, so the tool's outputs must not be pipes we wait on.
        launched = subprocess.run([qipalbum, "launch", album], env=env, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL, timeout=TIMEOUT)
        check(launched.returncode == 0, "qipalbum launch failed")

        dump = os.path.join(root, "ui-" + os.path.basename(player) + ".json")
        slides = len(photos) + 2

        def wait_for_number(number):
            wanted = "%d / %d" % (number, slides)
            deadline = time.monotonic() + TIMEOUT
            state = None
            while time.monotonic() < deadline:
                try:
                    with open(dump, encoding="utf-8") as f:
                        state = json.load(f)
                except (OSError, ValueError):
                    state = None
                if state and state.get("frame", 0) >= 1 and any(
                        n.get("kind") == "text" and n.get("text") == wanted for n in state["nodes"]):
                    return state
                time.sleep(0.02)
            raise Failure("the player never showed slide %s; last dump: %s" % (wanted, json.dumps(state)))

        wait_for_number.dump = dump
        try:
            play(env, player, wait_for_number)
        finally:
            stop(env)
    print("ok")


def windows(env):
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Lumora$"],
                          capture_output=True, text=True, env=env).stdout.split()


def stop(env):
    """Ends a player left running after a failure, by the process id of its window."""
    for window in windows(env):
        pid = subprocess.run(["xdotool", "getwindowpid", window], capture_output=True, text=True,
                             env=env).stdout.strip()
        if pid.isdigit():
            os.kill(int(pid), 15)


def play(env, player, wait_for_number):
        wait_for_number(1)
        deadline = time.monotonic() + TIMEOUT
        window = None
        while window is None and time.monotonic() < deadline:
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Lumora$"],
                                   capture_output=True, text=True, env=env).stdout.split()
            window = found[0] if found else None
            time.sleep(0.05)
        check(window is not None, "the player's window never became visible")
        run(["xdotool", "windowactivate", "--sync", window], env)
        run(["xdotool", "key", "--window", window, "Right"], env)
        state = wait_for_number(2)
        # Paused, the show stays; moving the pointer brings up the control bar (its play
        # button in place of pause), whose Next button, found in the UI dump, moves on.
        run(["xdotool", "key", "--window", window, "space"], env)
        frame = state["window"]
        scale = state.get("scale", 1)
        run(["xdotool", "mousemove", str(frame["x"] + 100 * scale), str(frame["y"] + 100 * scale)], env)

        def visible_node(name):
            deadline = time.monotonic() + TIMEOUT
            while time.monotonic() < deadline:
                try:
                    with open(wait_for_number.dump, encoding="utf-8") as f:
                        nodes = json.load(f)["nodes"]
                    found = next((n for n in nodes if n.get("name") == name and n.get("visible")), None)
                    if found:
                        return found
                except (OSError, ValueError):
                    pass
                time.sleep(0.02)
            raise Failure("the control bar's %s button never showed" % name)

        visible_node("Play")
        button = visible_node("Next")
        x = frame["x"] + (button["x"] + button["w"] // 2) * scale
        y = frame["y"] + (button["y"] + button["h"] // 2) * scale
        run(["xdotool", "mousemove", str(x), str(y), "click", "1"], env)
        wait_for_number(3)
        full_screen(env, window, wait_for_number)
        # The player may be gone before xdotool gives the focus back, which xdotool reports as
        # an error; whether it ended is checked below.
        subprocess.run(["xdotool", "key", "--window", window, "Escape"], capture_output=True, env=env)
        deadline = time.monotonic() + TIMEOUT
        while time.monotonic() < deadline:
            gone = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Lumora$"],
                                  capture_output=True, text=True, env=env).stdout.split()
            if not gone:
                break
            time.sleep(0.05)
        check(not gone, "Escape did not end the player")


def grab(env):
    """The whole screen as (width, height, RGB bytes)."""
    with tempfile.TemporaryDirectory(prefix="lumora-grab-") as folder:
        shot = os.path.join(folder, "screen.png")
        run(["import", "-window", "root", shot], env)
        if env.get("PLAYER_GUI_SHOT"):
            shutil.copyfile(shot, env["PLAYER_GUI_SHOT"])
        size = run(["identify", "-format", "%w %h", shot], env).split()
        pixels = subprocess.run(["convert", shot, "-depth", "8", "rgb:-"], capture_output=True, env=env,
                                check=True).stdout
    width, height = int(size[0]), int(size[1])
    check(len(pixels) == width * height * 3, "the screen grab has %d bytes" % len(pixels))
    return width, height, pixels


def pixel(screen, x, y):
    width, _, pixels = screen
    at = (y * width + x) * 3
    return tuple(pixels[at:at + 3])


def geometry(env, window):
    out = run(["xdotool", "getwindowgeometry", "--shell", window], env)
    fields = dict(line.split("=", 1) for line in out.split())
    return tuple(int(fields[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))


def wait_dump(wait_for_number, number, predicate, what):
    deadline = time.monotonic() + TIMEOUT
    state = None
    while time.monotonic() < deadline:
        state = wait_for_number(number)
        if predicate(state):
            return state
        time.sleep(0.05)
    raise Failure("%s; last dump window %s scale %s" % (what, state["window"], state.get("scale")))


def full_screen(env, window, wait_for_number):
    """F covers the screen with the show centred and enlarged by a whole factor on black; the
    bar's buttons still work where they are shown; F gives the window back where it was; Escape
    leaves full screen before it would quit."""
    windowed = wait_for_number(3)
    before = geometry(env, window)
    shown = windowed["window"]
    scale = windowed.get("scale", 1)
    # The windowed slide, to compare the enlarged one with. The slide holds still (paused),
    # and the top half stays clear of the control bar.
    time.sleep(3.5)
    small = grab(env)
    run(["xdotool", "key", "--window", window, "f"], env)
    width, height = small[0], small[1]
    cover = max(scale, min(width // 640, height // 480))
    left, top = (width - 640 * cover) // 2, (height - 480 * cover) // 2
    state = wait_dump(wait_for_number, 3, lambda s: s.get("scale") == cover and s["window"]["x"] == left
                      and s["window"]["y"] == top, "full screen never showed the content centred at x%d" % cover)
    check(geometry(env, window)[2:] == (width, height), "the full-screen window does not cover the screen")
    time.sleep(0.5)
    big = grab(env)
    surround = [pixel(big, x, y) for x, y in ((0, 0), (width - 1, height - 1), (left // 2, height // 2),
                                               (width // 2, top // 2), (width - 1 - left // 2, 5))]
    check(all(p == (0, 0, 0) for p in surround), "the surround is not black: %s" % surround)
    differences = []
    for cy in range(8, 240, 16):
        for cx in range(8, 640, 16):
            a = pixel(small, shown["x"] + cx * scale, shown["y"] + cy * scale)
            for k in range(cover):
                b = pixel(big, left + cx * cover + k, top + cy * cover + k)
                differences.append(sum(abs(u - v) for u, v in zip(a, b)))
    mean = sum(differences) / len(differences)
    check(mean < 6, "the enlarged slide differs from the windowed one (mean %.1f)" % mean)
    check(any(pixel(big, left + cx * cover, top + 100 * cover) != (0, 0, 0) for cx in range(0, 640, 40)),
          "the centred content is black")

    # The bar's Next button, found in the dump, clicked where the screen shows it.
    run(["xdotool", "mousemove", str(left + 100 * cover), str(top + 100 * cover)], env)
    deadline = time.monotonic() + TIMEOUT
    button = None
    while button is None and time.monotonic() < deadline:
        try:
            with open(wait_for_number.dump, encoding="utf-8") as f:
                nodes = json.load(f)["nodes"]
            button = next((n for n in nodes if n.get("name") == "Next" and n.get("visible")), None)
        except (OSError, ValueError):
            pass
        time.sleep(0.02)
    check(button is not None, "the control bar never showed in full screen")
    x = left + (button["x"] + button["w"] // 2) * cover
    y = top + (button["y"] + button["h"] // 2) * cover
    run(["xdotool", "mousemove", str(x), str(y), "click", "1"], env)
    wait_for_number(4)

    run(["xdotool", "key", "--window", window, "f"], env)
    wait_dump(wait_for_number, 4, lambda s: s.get("scale") == scale and s["window"] == shown,
              "leaving full screen did not give the window back its place")
    deadline = time.monotonic() + TIMEOUT
    while geometry(env, window) != before and time.monotonic() < deadline:
        time.sleep(0.05)
    check(geometry(env, window) == before, "the window came back at %s, not %s" % (geometry(env, window), before))

    run(["xdotool", "key", "--window", window, "f"], env)
    wait_dump(wait_for_number, 4, lambda s: s.get("scale") == cover, "F did not cover the screen again")
    run(["xdotool", "key", "--window", window, "Escape"], env)
    wait_dump(wait_for_number, 4, lambda s: s.get("scale") == scale and s["window"] == shown,
              "Escape did not leave full screen")
    check(windows(env), "Escape in full screen ended the player")


if __name__ == "__main__":
    try:
        main()
    except Failure as failure:
        print("FAIL:", failure)
        sys.exit(1)
