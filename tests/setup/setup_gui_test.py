#!/usr/bin/env python3
"""The setup's panes in a real window: the buttons are found in the UI dump and clicked with
xdotool; the screen is grabbed into the test folder. Run under tools/with-xvfb.sh:
    setup_gui_test.py QIPSETUP CASE [SHOTS_DIR]"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "gui"))
import ui_driver  # noqa: E402
from ui_driver import Failure, check, node, run, screen_point, grab  # noqa: E402

TIMEOUT = 30


class Setup(ui_driver.Demo):
    def window_id(self):
        deadline = time.monotonic() + TIMEOUT
        while time.monotonic() < deadline:
            result = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Lumora Player 3.0 Setup$"],
                                    capture_output=True, text=True)
            if result.stdout.split():
                return result.stdout.split()[0]
            time.sleep(0.05)
        raise Failure("the setup window never became visible")

    def text(self, state, prefix):
        return ui_driver.text_node(state, prefix)


def click(state, entry):
    x, y = screen_point(state, entry)
    run(["xdotool", "mousemove", str(x), str(y), "click", "1"])


def start(binary, root, args=(), env=None):
    # The desktop's files go to a private home, never the user's.
    home = os.path.join(root, "home")
    private = {"HOME": home, "XDG_DATA_HOME": os.path.join(home, "data"), "XDG_CONFIG_HOME": os.path.join(home, "config")}
    private.update(env or {})
    setup = Setup(binary, root, args, private)
    state = setup.wait_for(lambda s: s["frame"] >= 1 and node(s, "Install", "button") is not None, "the choice pane")
    time.sleep(0.3)   # the window manager maps the window after the first frame
    return setup, state


def installed(root):
    return os.path.exists(os.path.join(root, "prefix", "drive_c", "Program Files", "Lumora", "Lumora.exe"))


def case_install_click_ends_on_success(binary, root, shots):
    setup, state = start(binary, root)
    try:
        click(state, node(state, "Install", "button"))
        state = setup.wait_for(lambda s: setup.text(s, "Installing Lumora Player") is not None, "the progress pane")
        check(node(state, "Install", "button") is None, "the choice pane stayed")
        if shots:
            grab(os.path.join(shots, "xvfb-setup-progress.png"), state)
        state = setup.wait_for(lambda s: setup.text(s, "Installation Successful") is not None, "the success pane")
        check(installed(root), "the player was not installed")
        check(node(state, "Quit", "button") is not None, "no Quit on the success pane")
        check(node(state, "Run Now", "button") is None, "Run Now offered without -l")
        if shots:
            grab(os.path.join(shots, "xvfb-setup-success.png"), state)
        click(state, node(state, "Quit", "button"))
        setup.process.wait(10)
        check(setup.process.returncode == 0, "exit status %d" % setup.process.returncode)
    finally:
        setup.close()


def case_success_offers_run_now_with_album(binary, root, shots):
    setup, state = start(binary, root, ["-l", "C:\\album.Qip"])
    try:
        click(state, node(state, "Install", "button"))
        state = setup.wait_for(lambda s: node(s, "Run Now", "button") is not None, "Run Now on the success pane")
    finally:
        setup.close()


def case_cancelled_chooser_ends_on_failure(binary, root, shots):
    setup, state = start(binary, root, env={"LUMORA_DIALOG_ANSWER": "cancel"})
    try:
        click(state, node(state, "Install To...", "button"))
        state = setup.wait_for(lambda s: setup.text(s, "Installation Failed") is not None, "the failure pane")
        check(not installed(root), "something was installed")
        if shots:
            grab(os.path.join(shots, "xvfb-setup-failure.png"), state)
        click(state, node(state, "Quit", "button"))
        setup.process.wait(10)
        check(setup.process.returncode == 5, "exit status %d, not 5" % setup.process.returncode)
    finally:
        setup.close()


def main():
    binary, case = sys.argv[1], sys.argv[2]
    shots = sys.argv[3] if len(sys.argv) > 3 else None
    ui_driver.TIMEOUT = TIMEOUT
    root = tempfile.mkdtemp(prefix="lumora-setup-gui-")
    try:
        globals()["case_" + case](binary, root, shots)
    except Failure as failure:
        print("FAILED:", failure)
        return 1
    finally:
        shutil.rmtree(root, ignore_errors=True)
    print("ok", case)
    return 0


if __name__ == "__main__":
    sys.exit(main())
