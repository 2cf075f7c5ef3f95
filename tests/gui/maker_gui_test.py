#!/usr/bin/env python3
"""Lumora Maker in a real window, driven by real clicks at the places its UI dump gives:
welcome, the player installation, no disc, the samples, the newborn theme with typed names,
the album. The album's "@1st" chunk must be the first name typed, "@Ini" the initials that
filled themselves in, and "FLDR" the girl's folder.

    maker_gui_test.py WALK DISC XPB
"""

import os
import subprocess
import sys
import tempfile


def chunk(info, tag):
    """The text of a string chunk (16-bit length + bytes) of a tagged chunk file."""
    at = info.find(tag)
    if at < 0:
        return None
    length = int.from_bytes(info[at + 4:at + 8], "big")
    body = info[at + 8:at + 8 + length]
    return body[2:2 + int.from_bytes(body[0:2], "big")].decode("cp1252")


def main():
    walk, disc, xpb = sys.argv[1:4]
    with tempfile.TemporaryDirectory(prefix="lumora-maker-gui-") as work:
        result = subprocess.run([sys.executable, walk, disc, work, "--theme", "newborn", "--first", "Johanna",
                                 "--middle", "Maria", "--last", "Keller", "--girl"],
                                capture_output=True, text=True, timeout=300)
        print(result.stdout)
        if result.returncode != 0:
            print(result.stderr)
            print("FAIL: the walk did not finish")
            return 1
        album = os.path.join(work, "prefix", "drive_c", "Program Files", "Lumora Maker", "My Lumoras",
                             "Newborn.Qip")
        if not os.path.exists(album):
            print("FAIL: no Newborn.Qip")
            return 1
        info = subprocess.run([xpb, "cat", album, "photo:Album.nfo"], capture_output=True, check=True).stdout
        found = {tag: chunk(info, tag.encode()) for tag in ("@1st", "@Mid", "@Lst", "@Ini", "FLDR")}
        wanted = {"@1st": "Johanna", "@Mid": "Maria", "@Lst": "Keller", "@Ini": "JMK", "FLDR": "@girl"}
        if found != wanted:
            print("FAIL: the album holds %s, typed was %s" % (found, wanted))
            return 1
    print("ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
