#!/usr/bin/env python3
"""Lumora Maker's start: from starting the program on the disc image to its welcome screen
presented in the window (the program's "--trace" line, on the same monotonic clock), under
an X display (run through tools/with-xvfb.sh). Beside it, feh showing the welcome screen's
own 640 x 480 background picture; both are also timed to their window being mapped (found by
xdotool polling, which adds a few milliseconds to both alike). Medians of RUNS starts.

    maker-start.py DISC XPB [RUNS]
"""

import os
import statistics
import subprocess
import sys
import tempfile
import time

from xwindows import stop, wait_mapped


def main():
    disc, xpb = sys.argv[1:3]
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 10
    program = os.path.join(disc, "lumora-maker")
    with tempfile.TemporaryDirectory(prefix="lumora-maker-start-") as root:
        env = dict(os.environ, LUMORA_PREFIX=os.path.join(root, "prefix"))
        env.pop("LUMORA_HEADLESS", None)
        picture = os.path.join(root, "welcomeBG.jpg")
        with open(picture, "wb") as f:
            f.write(subprocess.run([xpb, "cat", os.path.join(disc, "Data", "Qip.xpb"), "BGjpg:eng:welcomeBG.jpg"],
                                   capture_output=True, check=True).stdout)
        presented, mapped, feh = [], [], []
        for run in range(runs + 1):   # the first start warms the file cache and the registry
            env["XDG_RUNTIME_DIR"] = os.path.join(root, "run%d" % run)
            os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
            t0 = time.monotonic_ns()
            maker = subprocess.Popen([program, "--trace"], env=env, stdout=subprocess.PIPE, text=True)
            window = wait_mapped("--pid", str(maker.pid), t0, maker)
            line = maker.stdout.readline()
            stop(maker)
            if not line.startswith("welcome-presented "):
                print("the Maker printed no welcome-presented line: %r" % line)
                return 1
            if run > 0:
                presented.append((int(line.split()[1]) - t0) / 1e6)
                mapped.append(window)
            t0 = time.monotonic_ns()
            viewer = subprocess.Popen(["feh", "--geometry", "640x480", "--title", "feh-bench", picture], env=env,
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            window = wait_mapped("--name", "feh-bench", t0, viewer)
            stop(viewer)
            if run > 0:
                feh.append(window)
        print("Lumora Maker start, median of %d (ms):" % runs)
        print("  welcome screen presented   %7.1f   (min %.1f, max %.1f)" %
              (statistics.median(presented), min(presented), max(presented)))
        print("  window mapped              %7.1f" % statistics.median(mapped))
        print("  feh, same background, window mapped %7.1f" % statistics.median(feh))
    return 0


if __name__ == "__main__":
    sys.exit(main())
