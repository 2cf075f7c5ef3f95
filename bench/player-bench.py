#!/usr/bin/env python3
"""Album player benchmarks under an X display (run through tools/with-xvfb.sh):

1. start to the first slide presented, for a 200-photo album, beside feh showing the first
   of the same photos from a folder; both also timed to their window being mapped (found
   by xdotool polling, which adds a few milliseconds to both alike);
2. frames presented during a one-second crossfade at 640 x 480, with the CPU time a frame.

    player-bench.py QIPALBUM PLAYER THEME.lmx PHOTODIR [RUNS] [--size WxH]

--size makes the album's photos that size from the folder's (ImageMagick's convert, JPEG
quality 90), as the Maker's album photos are at most 640 x 480; feh shows the same file.
The player's --trace marks give the start's steps (median milliseconds from the start).
"""

import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

from xwindows import stop, wait_mapped


def main():
    args = sys.argv[1:]
    size = None
    if "--size" in args:
        at = args.index("--size")
        size = args[at + 1]
        del args[at:at + 2]
    qipalbum, player, theme, photos = args[0:4]
    runs = int(args[4]) if len(args) > 4 else 5
    samples = sorted(os.path.join(photos, f) for f in os.listdir(photos) if f.endswith(".jpg"))
    with tempfile.TemporaryDirectory(prefix="lumora-player-bench-") as root:
        if size:
            sized = []
            for sample in samples:
                out = os.path.join(root, "sized-" + os.path.basename(sample))
                subprocess.run(["convert", sample, "-resize", size + "!", "-quality", "90", out], check=True)
                sized.append(out)
            samples = sized
        env = dict(os.environ, LUMORA_PREFIX=os.path.join(root, "prefix"),
                   XDG_RUNTIME_DIR=os.path.join(root, "run"))
        os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
        album = os.path.join(root, "big.Qip")
        chosen = [samples[i % len(samples)] for i in range(200)]
        subprocess.run([qipalbum, "make", "--out", album, "--theme", theme, "--string", "INTt=Two hundred",
                        *chosen], check=True, env=env, stdout=subprocess.DEVNULL)
        folder = os.path.join(root, "photos")
        os.makedirs(folder)
        shutil.copy(chosen[0], os.path.join(folder, "0000.jpg"))
        print("album: 200 photos%s, %.1f MB" % (" of " + size if size else "", os.path.getsize(album) / 1e6))

        presented, mapped, feh = [], [], []
        marks = {}
        for _ in range(runs):
            t0 = time.monotonic_ns()
            process = subprocess.Popen([player, album, "--trace"], env=env, stdout=subprocess.PIPE, text=True)
            mapped.append(wait_mapped("--name", "^Lumora$", t0, process))
            for line in process.stdout:
                if line.startswith("mark "):
                    words = line.split()
                    marks.setdefault(words[1], []).append((int(words[2]) - t0) / 1e6)
                if line.startswith("first-present "):
                    presented.append((int(line.split()[1]) - t0) / 1e6)
                    break
            stop(process)
            time.sleep(0.2)
            t0 = time.monotonic_ns()
            process = subprocess.Popen(["feh", os.path.join(folder, "0000.jpg")], env=env,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            feh.append(wait_mapped("--class", "feh", t0, process))
            stop(process)
            time.sleep(0.2)
        print("lumora-player start to first slide presented: median %.1f ms (runs: %s)"
              % (statistics.median(presented), ", ".join("%.1f" % v for v in presented)))
        print("lumora-player start to window mapped (polled): median %.1f ms" % statistics.median(mapped))
        print("lumora-player steps (median ms from the start): "
              + ", ".join("%s %.1f" % (name, statistics.median(times))
                          for name, times in sorted(marks.items(), key=lambda item: statistics.median(item[1]))))
        print("feh start to window mapped (polled):           median %.1f ms" % statistics.median(feh))

        process = subprocess.Popen([player, album, "--trace", "--transition=crossfade,1000"], env=env,
                                   stdout=subprocess.PIPE, text=True)
        for line in process.stdout:
            if line.startswith("transition "):
                words = line.split()
                frames, cpu = int(words[3]), float(words[5])
                print("one-second crossfade at 640 x 480: %d frames presented, %.2f ms CPU a frame"
                      % (frames, cpu / max(frames, 1)))
                break
        stop(process)


if __name__ == "__main__":
    main()
