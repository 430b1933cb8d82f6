#!/usr/bin/env python3
"""Registers the demo's device servers on the Tango database named by TANGO_HOST:
CorvaneServer/demo (a controller and two axes) and LumivertServer/demo (one camera).

    register.py --port-file FILE     (corvane-sim's --port-file; COM7 is the demo's port)

A facility registers its own servers the same way: one server instance per serial line, the
axes of a line in the same instance as its controller.
"""

from __future__ import annotations

import argparse

CONTROLLER = "demo/corvane/ctl"
DEMO_COM = 7


def servers(port_file: str) -> dict:
    """{server/instance: {class: {device: properties}}}"""
    return {
        "CorvaneServer/demo": {
            "CorvaneController": {
                CONTROLLER: {"Port": DEMO_COM, "Baud": 57600, "MaxBoards": 2,
                             "PortFile": port_file, "Stages": ["A=LT-50-DC", "B=LT-100-STEP"],
                             "PollPeriodMs": 200},
            },
            "CorvaneAxis": {
                "demo/corvane/a": {"Controller": CONTROLLER, "Axis": "A"},
                "demo/corvane/b": {"Controller": CONTROLLER, "Axis": "B"},
            },
        },
        "LumivertServer/demo": {
            "LumivertCamera": {
                "demo/lumivert/0": {"Board": 0, "CocMode": 0, "CocTrigger": 0,
                                    "Roi": [1, 9999, 1, 9999], "Binning": [1, 1], "DelayMs": 0,
                                    "ExposureMs": 20, "SnapTimeoutMs": 10000},
            },
        },
    }


def as_strings(value) -> list:
    values = value if isinstance(value, (list, tuple)) else [value]
    return [str(v) for v in values]


def register(db, configuration: dict) -> None:
    import tango
    for server, classes in configuration.items():
        for tango_class, devices in classes.items():
            for name, properties in devices.items():
                info = tango.DbDevInfo()
                info.server, info._class, info.name = server, tango_class, name
                db.add_device(info)
                db.put_device_property(name, {k: as_strings(v) for k, v in properties.items()})
                print(f"registered {name} ({tango_class}) in {server}")


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--port-file", required=True)
    args = parser.parse_args()
    import tango
    register(tango.Database(), servers(args.port_file))


if __name__ == "__main__":
    main()
