#!/usr/bin/env python3
"""Records a macro on the board of axis A, runs it, and reads the digital and analog lines.

Start the simulated chain first and pass its port on (see move_axes.py):
    WINPORT_COM1=/dev/pts/N python3 examples/python/macro_and_lines.py 1
"""

import sys

from zrlmv.motion import Controller, CorvaneError


def main(port: int) -> int:
    try:
        with Controller.connect_rs232(port, 57600, max_controllers=2) as ctl:
            ctl.cst({"A": "LT-50-DC"})
            ctl.ini("A")
            ctl.ron({"A": False})
            ctl.pos({"A": 0.0})
            ctl.svo({"A": True})
            with ctl.macro("AMC1"):  # recorded on the board, not carried out
                ctl.mvr({"A": 0.5})
                ctl.wac("ONT? A = 1")
                ctl.mvr({"A": -0.5})
            print("macro AMC1:", " | ".join(ctl.qmac("AMC1")))
            ctl.mac_start("AMC1")
            ctl.dio({"A": True})
            inputs = ctl.qdio()
            print("inputs:", "".join(c for c, on in inputs.items() if on) or "none on")
            volts = ctl.qtav(ctl.analog_channel(0, 1))
            print(f"analog line 1 of board 0: {volts:.2f} V")
            ctl.mac_del("AMC1")
    except CorvaneError as error:
        print(f"macro_and_lines: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(int(sys.argv[1]) if len(sys.argv) > 1 else 1))
