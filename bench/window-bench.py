#!/usr/bin/env python3
"""The demo under a display server: CPU of an idle window, click-to-frame latency, and
keystroke-to-frame latency in the widget gallery's multi-line editor holding 2,000 lines.

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
KEYS = 50
EDITOR_LINES = 2000
TICKS = os.sysconf("SC_CLK_TCK")


def start(binary, root, args, ready=lambda state: any(n["name"] == "button.xps" for n in state["nodes"])):
    env = dict(os.environ, LUMORA_PREFIX=os.path.join(root, "prefix"), XDG_RUNTIME_DIR=os.path.join(root, "run"),
               LUMORA_UI_DUMP=os.path.join(root, "ui.json"), LUMORA_SCALE="1")
    os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700, exist_ok=True)
    process = subprocess.Popen([binary, *args], env=env, stdout=subprocess.PIPE, text=True)
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline:
        try:
            with open(env["LUMORA_UI_DUMP"]) as f:
                state = json.load(f)
            if state["frame"] >= 1 and ready(state):
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


def gallery_ready(state):
    return any(n["kind"] == "editor" and n["focused"] for n in state["nodes"])


def idle_cpu(binary, args, ready=None):
    with tempfile.TemporaryDirectory() as root:
        process, _ = start(binary, root, args, ready) if ready else start(binary, root, args)
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


def key_latency(binary):
    """Characters typed at the end of a 2,000-line text, each timed from xdotool's key to the
    first presented frame whose text holds it."""
    with tempfile.TemporaryDirectory() as root:
        process, state = start(binary, root, ["--gallery", "--still", "--trace-keys", "--lines=%d" % EDITOR_LINES],
                               gallery_ready)
        editor = next(n for n in state["nodes"] if n["name"] == "multi-line")
        lines = editor["text"].count("\n")
        if lines != EDITOR_LINES:
            sys.exit("the editor holds %d lines, not %d" % (lines, EDITOR_LINES))
        # The first frame's text is traced at start.
        length = int(process.stdout.readline().split()[1])
        window = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Lumora Demo$"],
                                capture_output=True, text=True).stdout.split()[0]
        subprocess.run(["xdotool", "windowactivate", "--sync", window], check=True)
        xdotool = subprocess.Popen(["xdotool", "-"], stdin=subprocess.PIPE, text=True)
        time.sleep(0.3)
        latencies = []
        for n in range(KEYS):
            sent = time.monotonic_ns()
            xdotool.stdin.write("key --delay 0 %s\n" % "abcdefghij"[n % 10])
            xdotool.stdin.flush()
            line = process.stdout.readline().split()
            if len(line) != 3 or int(line[1]) != length + 1:
                sys.exit("unexpected trace: %r (text of %d bytes before)" % (line, length))
            length += 1
            latencies.append((int(line[2]) - sent) / 1e6)
            time.sleep(0.1)
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
    print("| widget gallery, still, caret blinking, CPU over %.0f s | %.2f %% of one core | < 1 %% |"
          % (SECONDS, idle_cpu(binary, ["--gallery", "--still"], gallery_ready)))
    latencies = click_latency(binary)
    print("| click (xdotool) to presented frame, median of %d | %.2f ms (min %.2f, max %.2f) | < 16.7 ms |"
          % (len(latencies), statistics.median(latencies), min(latencies), max(latencies)))
    latencies = key_latency(binary)
    print("| key (xdotool) to presented frame, %d-line editor, median of %d | %.2f ms (min %.2f, max %.2f) | < 16.7 ms |"
          % (EDITOR_LINES, len(latencies), statistics.median(latencies), min(latencies), max(latencies)))


if __name__ == "__main__":
    main()
