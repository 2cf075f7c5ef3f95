"""Windows of programs started by the benchmarks, under an X display: finding one through
xdotool, timing it to being mapped, and ending its program."""

import subprocess
import time


def visible(kind, pattern):
    """The ids of the visible windows xdotool finds by KIND (--pid, --name, --class) and PATTERN."""
    result = subprocess.run(["xdotool", "search", "--onlyvisible", kind, pattern], capture_output=True, text=True)
    return result.stdout.split()


def wait_mapped(kind, pattern, t0, process, limit=20.0):
    """Milliseconds from T0 (monotonic ns) until the window is visible; NaN if PROCESS ends first
    or LIMIT seconds pass. Polling adds a few milliseconds to every program alike."""
    while time.monotonic_ns() - t0 < limit * 1e9:
        if visible(kind, pattern):
            return (time.monotonic_ns() - t0) / 1e6
        if process.poll() is not None:
            break
        time.sleep(0.001)
    return float("nan")


def stop(process):
    """Ends PROCESS politely, then for good if it has not gone in five seconds."""
    process.terminate()
    try:
        process.wait(5)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
