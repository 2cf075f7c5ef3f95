#!/usr/bin/env python3
"""The demo under a display server: CPU of an idle window and click-to-frame latency.

Run it through tools/with-xvfb.sh (which starts Xvfb and a window manager):
    tools/with-xvfb.sh python3 bench/window-bench.py build/normal/bin/lumora-demo
Prints one table row per measurement.
"""

import json
import os
import statistics
import subprocess
import sys
import tempfile
import time

SECONDS = 10.0
CLICKS = 50
TICKS = os.sysconf("SC_CLK_TCK")


def start(binary, root, args):
    env = dict(os.environ, LUMORA_PREFIX=os.path.join(root, "prefix"), XDG_RUNTIME_DIR=os.path.join(root, "run"),
               LUMORA_UI_DUMP=os.path.join(root, "ui.json"), LUMORA_SCALE="1")
    os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700, exist_ok=True)
    process = subprocess.Popen([binary, *args], env=env, stdout=subprocess.PIPE, text=True)
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline:
        try:
            with open(env["LUMORA_UI_DUMP"]) as f:
                state = json.load(f)
            if state["frame"] >= 1 and any(n["name"] == "button.xps" for n in state["nodes"]):
                return process, state
        except (OSError, ValueError):
            pass
        time.sleep(0.02)
    process.kill()
    sys.exit("the demo did not show its first frame")


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS   # utime + stime


def idle_cpu(binary, args):
    with tempfile.TemporaryDirectory() as root:
        process, _ = start(binary, root, args)
        time.sleep(1.0)   # the window manager's first configure and expose are over
        before = cpu_seconds(process.pid)
        time.sleep(SECONDS)
        used = cpu_seconds(process.pid) - before
        process.terminate()
        process.wait()
    return 100.0 * used / SECONDS


def click_latency(binary):
    with tempfile.TemporaryDirectory() as root:
        process, state = start(binary, root, ["--still", "--trace-clicks"])
        button = next(n for n in state["nodes"] if n["name"] == "button.xps")
        x = state["window"]["x"] + (button["x"] + button["w"] // 2) * state["scale"]
        y = state["window"]["y"] + (button["y"] + button["h"] // 2) * state["scale"]
        # One xdotool for all clicks, fed on its standard input, so no start-up is timed.
        xdotool = subprocess.Popen(["xdotool", "-"], stdin=subprocess.PIPE, text=True)
        xdotool.stdin.write("mousemove %d %d\n" % (x, y))
        xdotool.stdin.flush()
        time.sleep(0.3)
        latencies = []
        for n in range(1, CLICKS + 1):
            sent = time.monotonic_ns()
            # Without --delay 0, xdotool sleeps 100 ms after each click before it reads on.
            xdotool.stdin.write("click --delay 0 1\n")
            xdotool.stdin.flush()
            line = process.stdout.readline().split()
            if len(line) != 3 or int(line[1]) != n:
                sys.exit("unexpected trace: %r" % line)
            latencies.append((int(line[2]) - sent) / 1e6)
            time.sleep(0.15)
        xdotool.stdin.close()
        xdotool.wait()
        process.terminate()
        process.wait()
    return latencies


def main():
    binary = os.path.abspath(sys.argv[1])
    print("| measurement | result | goal |")
    print("|---|---|---|")
    print("| idle window, still screen, CPU over %.0f s | %.2f %% of one core | < 1 %% |"
          % (SECONDS, idle_cpu(binary, ["--still"])))
    print("| one sprite at 25 frames/s, CPU over %.0f s | %.2f %% of one core | < 5 %% |"
          % (SECONDS, idle_cpu(binary, ["--one"])))
    latencies = click_latency(binary)
    print("| click (xdotool) to presented frame, median of %d | %.2f ms (min %.2f, max %.2f) | < 16.7 ms |"
          % (len(latencies), statistics.median(latencies), min(latencies), max(latencies)))


if __name__ == "__main__":
    main()
