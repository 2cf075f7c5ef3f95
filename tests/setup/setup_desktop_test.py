#!/usr/bin/env python3
"""The desktop opens an album with the player the setup installed: a silent install into a
private prefix and home, then "gio open" on an album file, whose type and default program
come only from the files the setup wrote. The player's UI dump must show the album's slide
numbers. Run under tools/with-xvfb.sh:
    setup_desktop_test.py QIPSETUP QIPALBUM THEME PHOTO..."""
import json
import os
import re
import signal
import subprocess
import sys
import tempfile
import time

TIMEOUT = 30


class Failure(Exception):
    pass


def run(argv, env):
    result = subprocess.run(argv, env=env, capture_output=True, text=True, timeout=TIMEOUT)
    if result.returncode != 0:
        raise Failure("%s: exit %d\n%s%s" % (argv[0], result.returncode, result.stdout, result.stderr))
    return result.stdout


def player_pids(prefix):
    """Processes running the installed player (the one inside this test's prefix)."""
    pids = []
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                if os.readlink("/proc/%s/exe" % entry).startswith(prefix):
                    pids.append(int(entry))
            except OSError:
                pass
    return pids


def main():
    qipsetup, qipalbum, theme = sys.argv[1:4]
    photos = sys.argv[4:]
    with tempfile.TemporaryDirectory(prefix="lumora-setup-desktop-") as root:
        home = os.path.join(root, "home")
        env = dict(os.environ)
        env.update({
            "LUMORA_PREFIX": os.path.join(root, "prefix"),
            "XDG_RUNTIME_DIR": os.path.join(root, "run"),
            "HOME": home,
            "XDG_DATA_HOME": os.path.join(home, "data"),
            "XDG_CONFIG_HOME": os.path.join(home, "config"),
            "LUMORA_SETUP_QUIT_DELAY": "0",
            "LUMORA_UI_DUMP": os.path.join(root, "ui-%n.json"),
        })
        env.pop("XDG_CURRENT_DESKTOP", None)
        os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
        try:
            run([qipsetup, "-silent"], env)
            album = os.path.join(root, "Walk.QIP")   # the type is matched without regard to case
            run([qipalbum, "make", "--out", album, "--theme", theme, "--string", "INTt=Autumn walk", *photos], env)
            content = run(["gio", "info", "-a", "standard::content-type", album], env)
            if "application/x-lumora" not in content:
                raise Failure("the album's type is not known: " + content)
            subprocess.run(["gio", "open", album], env=env, timeout=TIMEOUT, check=True)
            dump = os.path.join(root, "ui-Lumora.json")
            # The slide number "n / count": the title and one slide per photo.
            wanted = re.compile(r"^\d+ / %d$" % (len(photos) + 1))
            deadline = time.monotonic() + TIMEOUT
            state = None
            while time.monotonic() < deadline:
                try:
                    with open(dump, encoding="utf-8") as f:
                        state = json.load(f)
                except (OSError, ValueError):
                    state = None
                if state and any(n.get("kind") == "text" and wanted.match(n.get("text", "")) for n in state["nodes"]):
                    break
                time.sleep(0.05)
            else:
                raise Failure("the installed player never showed the album; last dump: %s" % json.dumps(state))
            if not player_pids(env["LUMORA_PREFIX"]):
                raise Failure("the player that showed the album is not the installed one")
        except Failure as failure:
            print("FAILED:", failure)
            return 1
        finally:
            for pid in player_pids(env["LUMORA_PREFIX"]):
                os.kill(pid, signal.SIGTERM)
    print("ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
