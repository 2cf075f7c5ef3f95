#!/usr/bin/env python3
"""Walks Lumora Maker in a real window the way a customer would: real clicks (xdotool) at the
places the program's UI dump gives, typed text, a screenshot of every screen, and the player
that shows the album at the end.

    maker-walk.py DISC WORKDIR [--theme birthday|newborn] [--first NAME --middle NAME --last NAME]

DISC is the disc image folder (the program, Data/Qip.xpb); WORKDIR receives the prefix the
Maker installs into, the screenshots (shots/*.png) and the album. The walk: welcome, the
player installation (the setup runs silently into the prefix), the insert-disk screen with
no disc, its error form, the sample photos, the theme (for the newborn theme the names are
typed and the initials fill themselves), the album, the play screen, the player, the themes
again, and the quit screen. Prints the screenshots and the album's path; exit status 1 when a
step does not happen.
"""

import argparse
import json
import os
import shutil
import signal
import subprocess
import sys
import time

TIMEOUT = 30.0


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


class Walk:
    def __init__(self, disc, work):
        self.disc = os.path.abspath(disc)
        self.work = os.path.abspath(work)
        self.prefix = os.path.join(self.work, "prefix")
        self.shots = os.path.join(self.work, "shots")
        self.dump = os.path.join(self.work, "ui-%n.json")
        self.taken = []
        for folder in (self.prefix, self.shots, os.path.join(self.work, "run"), os.path.join(self.work, "bin")):
            os.makedirs(folder, exist_ok=True)
        os.chmod(os.path.join(self.work, "run"), 0o700)
        # Folders and pages the Maker opens at the end are noted instead of opened.
        opener = os.path.join(self.work, "bin", "xdg-open")
        with open(opener, "w") as f:
            f.write("#!/bin/sh\nprintf '%%s\\n' \"$@\" >> '%s'\n" % os.path.join(self.work, "opened.log"))
        os.chmod(opener, 0o755)
        self.env = dict(os.environ)
        self.env.update({
            "LUMORA_PREFIX": self.prefix,
            "XDG_RUNTIME_DIR": os.path.join(self.work, "run"),
            "LUMORA_UI_DUMP": self.dump,
            "LUMORA_SETUP_QUIT_DELAY": "0",
            "PATH": os.path.join(self.work, "bin") + ":" + os.environ.get("PATH", ""),
        })
        self.env.pop("LUMORA_HEADLESS", None)
        self.maker = None
        self.window = None
        self.notes = []

    # --- the program and its dump ---

    def start(self):
        program = os.path.join(self.disc, "lumora-maker")
        self.maker = subprocess.Popen([program], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)

    def state(self):
        try:
            with open(self.dump.replace("%n", "lumora-maker"), encoding="utf-8") as f:
                return json.load(f)
        except (OSError, ValueError):
            return None

    def wait(self, condition, what):
        deadline = time.monotonic() + TIMEOUT
        state = None
        while time.monotonic() < deadline:
            state = self.state()
            if state and condition(state):
                return state
            check(self.maker.poll() is None or what == "end", "the Maker ended while waiting for " + what)
            time.sleep(0.03)
        raise Failure("no %s; last dump: %s" % (what, json.dumps(state)[:2000]))

    def screen(self, name):
        state = self.wait(lambda s: any(n.get("kind") == "screen" and n.get("name") == name and n.get("visible", True)
                                        for n in s["nodes"]), "screen " + name)
        time.sleep(0.15)   # the background finishes drawing
        return state

    def node(self, state, name):
        for node in state["nodes"]:
            if node.get("name") == name and node.get("visible", True):
                return node
        raise Failure("no %s on the screen" % name)

    def find_window(self):
        deadline = time.monotonic() + TIMEOUT
        while time.monotonic() < deadline:
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(self.maker.pid)],
                                   capture_output=True, text=True, env=self.env).stdout.split()
            if found:
                self.window = found[-1]
                return
            time.sleep(0.05)
        raise Failure("the Maker's window never became visible")

    # --- input ---

    def click(self, name):
        state = self.state()
        node = self.node(state, name)
        window = state["window"]
        scale = state.get("scale", 1)
        x = window["x"] + (node["x"] + node["w"] // 2) * scale
        y = window["y"] + (node["y"] + node["h"] // 2) * scale
        subprocess.run(["xdotool", "mousemove", "--sync", str(x), str(y)], env=self.env, check=True)
        time.sleep(0.05)
        subprocess.run(["xdotool", "click", "1"], env=self.env, check=True)
        time.sleep(0.1)

    def type(self, text):
        subprocess.run(["xdotool", "type", "--delay", "60", text], env=self.env, check=True)
        time.sleep(0.2)

    def shot(self, name, window=None):
        path = os.path.join(self.shots, name + ".png")
        subprocess.run(["import", "-window", window or self.window, path], env=self.env, check=True,
                       capture_output=True)
        self.taken.append(path)
        return path

    def stop(self):
        if self.maker and self.maker.poll() is None:
            self.maker.send_signal(signal.SIGTERM)
            try:
                self.maker.wait(5)
            except subprocess.TimeoutExpired:
                self.maker.kill()

    def players(self):
        """Windows of programs other than the Maker (the player it started)."""
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "Lumora"],
                               capture_output=True, text=True, env=self.env).stdout.split()
        others = []
        for window in found:
            pid = subprocess.run(["xdotool", "getwindowpid", window], capture_output=True, text=True,
                                 env=self.env).stdout.strip()
            if pid.isdigit() and int(pid) != self.maker.pid:
                others.append((window, int(pid)))
        return others


def walk(args):
    w = Walk(args.disc, args.work)
    try:
        w.start()
        w.screen("welcome")
        w.find_window()
        subprocess.run(["xdotool", "windowactivate", "--sync", w.window], env=w.env, capture_output=True)
        w.shot("1-welcome")
        w.click("welcomeL")
        w.screen("insert-disk")
        w.shot("2-insert-disk")
        w.click("diskOK")
        w.screen("insert-disk-error")
        w.shot("3-insert-disk-error")
        w.click("errorCancel")
        w.screen("choose-theme")
        tile = "themeNewborn" if args.theme == "newborn" else "themeBirthday"
        w.click(tile)
        w.wait(lambda s: any(n.get("name") == tile and n.get("selected") for n in s["nodes"]), tile + " selected")
        w.shot("4-choose-theme")
        w.click("choosePlay")
        if args.theme == "newborn":
            w.screen("newborn")
            for field, text in (("newborn-0", args.first), ("newborn-1", args.middle), ("newborn-2", args.last),
                                ("newborn-3", args.date), ("newborn-4", args.weight), ("newborn-5", args.length)):
                w.click(field)
                w.type(text)
            w.wait(lambda s: w.node(s, "initial-0").get("text") == args.first[:1].upper(), "the first initial")
            w.click("newGirl" if args.girl else "newBoy")
            w.shot("5-newborn")
            w.click("newContinue")
        w.screen("play")
        w.shot("6-play")
        # The player the setup installed opens the album two seconds later.
        deadline = time.monotonic() + 10
        players = []
        while not players and time.monotonic() < deadline:
            players = w.players()
            time.sleep(0.1)
        if players:
            time.sleep(2.5)
            w.shot("7-album-in-player", players[0][0])
            for _, pid in players:
                os.kill(pid, signal.SIGTERM)
        else:
            w.notes.append("the installed player did not open a window within 10 s")
        w.screen("choose-theme")
        w.click("chooseQuit")
        w.screen("quit")
        w.shot("8-quit")
        w.click("quitQuit")
        w.maker.wait(TIMEOUT)
        check(w.maker.returncode == 0, "the Maker ended with status %s" % w.maker.returncode)
    finally:
        w.stop()
    albums = os.path.join(w.prefix, "drive_c", "Program Files", "Lumora Maker", "My Lumoras")
    made = [os.path.join(albums, name) for name in sorted(os.listdir(albums)) if name.endswith(".Qip")]
    check(made, "no album in " + albums)
    # The album's title and first photo slides as the build's player shows them.
    if args.player:
        env = dict(w.env, LUMORA_HEADLESS="1")
        for slide in range(3):
            path = os.path.join(w.shots, "album-slide-%d.png" % slide)
            subprocess.run([args.player, "--save-png=" + path, "--slide=%d" % slide, made[0]], env=env,
                           capture_output=True, timeout=TIMEOUT)
            if os.path.exists(path):
                w.taken.append(path)
    return w, made


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("disc")
    parser.add_argument("work")
    parser.add_argument("--theme", default="birthday", choices=["birthday", "newborn"])
    parser.add_argument("--first", default="Anna")
    parser.add_argument("--middle", default="Sophie")
    parser.add_argument("--last", default="Berg")
    parser.add_argument("--date", default="12 March 2026")
    parser.add_argument("--weight", default="3.4 kg")
    parser.add_argument("--length", default="51 cm")
    parser.add_argument("--girl", action="store_true")
    parser.add_argument("--player", help="the album player, to render the album's first slides")
    args = parser.parse_args()
    try:
        w, albums = walk(args)
    except Failure as failure:
        print("FAIL:", failure)
        return 1
    print("Screenshots:")
    for path in w.taken:
        print("  " + path)
    for note in w.notes:
        print("Note: " + note)
    print("Album:")
    for path in albums:
        print("  " + path)
    return 0


if __name__ == "__main__":
    sys.exit(main())
