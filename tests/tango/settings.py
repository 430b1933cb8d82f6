"""Device configuration of the tests, in the form MultiDeviceTestContext takes. The demo's
registration script must give each class the same properties (test_registration checks)."""

from __future__ import annotations

CONTROLLER = "test/corvane/ctl"
AXIS_A = "test/corvane/a"
AXIS_B = "test/corvane/b"
CAMERA = "test/lumivert/1"
CAMERA_FRESH = "test/lumivert/2"  # its board's first picture is compared with the package's
CAMERA_MISSING = "test/lumivert/7"  # a board that is not there


def corvane_devices(port: int, port_file: str) -> list:
    return [
        {"class": "zrlmv.tango.controller_device.CorvaneController",
         "devices": [{"name": CONTROLLER, "properties": {
             "Port": port, "Baud": 57600, "MaxBoards": 2, "PortFile": port_file,
             "Stages": ["A=LT-50-DC", "B=LT-100-STEP"], "PollPeriodMs": 100}}]},
        {"class": "zrlmv.tango.axis_device.CorvaneAxis",
         "devices": [{"name": AXIS_A, "properties": {"Controller": CONTROLLER, "Axis": "A"}},
                     {"name": AXIS_B, "properties": {"Controller": CONTROLLER, "Axis": "B"}}]},
    ]


def camera_properties(board: int) -> dict:
    return {"Board": board, "CocMode": 0, "CocTrigger": 0, "Roi": [1, 9999, 1, 9999],
            "Binning": [1, 1], "DelayMs": 0, "ExposureMs": 10, "SnapTimeoutMs": 10000}


def camera_devices() -> list:
    return [
        {"class": "zrlmv.tango.camera_device.LumivertCamera",
         "devices": [{"name": name, "properties": camera_properties(board)}
                     for name, board in ((CAMERA, 1), (CAMERA_FRESH, 2), (CAMERA_MISSING, 7))]},
    ]
