#!/usr/bin/env python3
"""Runs a short TAL script through the command-string interface and prints every answer line.

Start the simulated chain first and pass its port on (see move_axes.py):
    WINPORT_COM1=/dev/pts/N python3 examples/python/tal_script.py 1
"""

import sys

from zrlmv.motion import Controller, CorvaneError

SCRIPT = [
    "CST A LT-50-DC B LT-100-STEP",
    "INI A B",
    "RON A 0 B 0",
    "POS A 0 B 0",
    "SVO A 1 B 1",
    "MOV A 2.5 B -1",
    "MOV? A B",
]


def main(port: int) -> int:
    try:
        with Controller.connect_rs232(port, 57600, max_controllers=2) as ctl:
            for line in SCRIPT:
                for answer in ctl.tal(line):
                    print(f"{line}: {answer}")
            ctl.wait_on_target("AB", timeout=60)
            for answer in ctl.tal("POS? A B"):
                print(f"POS? A B: {answer}")
            ctl.tal("XYZ A")  # an unknown command word: raised, not answered
    except CorvaneError as error:
        print(f"tal_script: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(int(sys.argv[1]) if len(sys.argv) > 1 else 1))
