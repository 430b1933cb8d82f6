#!/usr/bin/env python3
"""Moves two axes of a Corvane chain and prints where they stand.

Start the simulated chain first and pass its port on:
    corvane-sim --config data/stages/corvane-sim-stages.conf --com 1
    WINPORT_COM1=/dev/pts/N python3 examples/python/move_axes.py 1
(the stage database zrstages2.dat must be found: beside the program or through the registry
value "Path" of HKLM\\Software\\ZR\\TALTranslator).
"""

import sys

from zrlmv.motion import Controller, CorvaneError


def main(port: int) -> int:
    try:
        with Controller.connect_rs232(port, 57600, max_controllers=2) as ctl:
            print(ctl.qidn().strip())
            ctl.cst({"A": "LT-50-DC", "B": "LT-100-STEP"})
            ctl.ini("AB")
            ctl.ron({"A": False, "B": False})
            ctl.pos({"A": 0.0, "B": 0.0})  # declare the current place 0 instead of referencing
            ctl.svo({"A": True, "B": True})
            ctl.mov({"A": 1.5, "B": -2.0})
            positions = ctl.wait_on_target("AB", timeout=60)
            print("on target:", ", ".join(f"{a} {p:.3f} mm" for a, p in positions.items()))
    except CorvaneError as error:
        print(f"move_axes: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(int(sys.argv[1]) if len(sys.argv) > 1 else 1))
