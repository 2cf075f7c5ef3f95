#!/usr/bin/env python3
"""The album player in a real window, started the way the Maker starts it: the album tool's
"launch" runs the ".Qip" open command registered in the test's own prefix.

    player_gui_test.py QIPALBUM LUMORA_REG PLAYER THEME PHOTO...

The player's UI dump shows the first slide's number ("1 / N"); a Right key press in the
window moves it to the second; moving the pointer shows the control bar, whose Next button
(found in the dump) moves it to the third when clicked; Escape ends the player.
"""

import json
import os
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


if __name__ == "__main__":
    try:
        main()
    except Failure as failure:
        print("FAIL:", failure)
        sys.exit(1)
