#!/usr/bin/env python3
"""Device servers against the package, measured in the same run:
- frames per second of a client taking and reading Image (640 x 480) over loopback, against
  the package's own read loop on a board of its own (goal: at least half the local rate);
- Position read round trip through the device, against the package's qPOS on a line of its
  own (goal: at most 3 times).

    bench_tango.py BUILD_DIR [SECONDS]
"""

from __future__ import annotations

import os
import pathlib
import shutil
import subprocess
import sys
import tempfile
import time

ARGS = [a for a in sys.argv[1:] if not a.startswith("--")]  # bench/run.sh's options are not ours
BUILD = pathlib.Path(ARGS[0] if ARGS else "build/release").resolve()
SECONDS = float(ARGS[1]) if len(ARGS) > 1 else 3.0
SOURCE = pathlib.Path(__file__).resolve().parents[2]
SCRATCH = pathlib.Path(tempfile.mkdtemp(prefix="zrlmv-tango-bench-"))
os.environ.update(WINPORT_REGISTRY_DIR=str(SCRATCH / "registry"), LMVSIM_LOCK_DIR=str(SCRATCH),
                  LMVSIM_BOARDS="2", LMVSIM_IMAGE_MS="0",
                  ZRLMV_MOTION_LIBRARY=str(BUILD / "lib" / "libZR_Corvane_TAL.so"),
                  ZRLMV_CAMERA_LIBRARY=str(BUILD / "lib" / "liblmvntcam.so"))
(SCRATCH / "registry").mkdir()
sys.path.insert(0, str(SOURCE / "python"))
TOOL_ENV = {k: v for k, v in os.environ.items() if k != "LD_PRELOAD"}

import numpy as np  # noqa: E402
import tango  # noqa: E402
from tango.test_context import MultiDeviceTestContext  # noqa: E402


def tool(*args) -> None:
    subprocess.run([str(a) for a in args], check=True, env=TOOL_ENV, stdout=subprocess.DEVNULL)


def simulator(com: int):
    port_file = SCRATCH / f"sim{com}.port"
    process = subprocess.Popen(
        [str(BUILD / "bin" / "corvane-sim"), "--com", str(com), "--config",
         str(SOURCE / "data" / "stages" / "corvane-sim-stages.conf"), "--port-file",
         str(port_file)], env=TOOL_ENV, stdout=subprocess.DEVNULL)
    deadline = time.monotonic() + 30
    while not (port_file.is_file() and port_file.read_text().strip()):
        if time.monotonic() > deadline:
            raise TimeoutError("corvane-sim did not start")
        time.sleep(0.05)
    return process, port_file


def rate(action) -> float:
    """Calls per second of action over SECONDS."""
    action()
    count, start = 0, time.perf_counter()
    while time.perf_counter() - start < SECONDS:
        action()
        count += 1
    return count / (time.perf_counter() - start)


def context(devices_info, server):
    from zrlmv.tango import servers
    classes = {c.__name__: c for c in servers.CORVANE_CLASSES + servers.LUMIVERT_CLASSES}
    info = [dict(i, **{"class": (classes[i["class"]].TangoClassClass, classes[i["class"]])})
            for i in devices_info]
    return MultiDeviceTestContext(info, server_name=server, process=True, timeout=60)


def camera_rates() -> tuple:
    devices = [{"class": "LumivertCamera",
                "devices": [{"name": "bench/lumivert/1", "properties": {"Board": 1}}]}]
    with context(devices, "LumivertServer") as ctx:
        device = tango.DeviceProxy(ctx.get_device_access("bench/lumivert/1"))
        device.Snap()
        read_only = rate(lambda: device.Image)
        snap_and_read = rate(lambda: (device.Snap(), device.Image))
    from zrlmv import camera
    with camera.Board(0) as board:
        _r, fitted = board.test_coc(camera.CocSettings(times="0,10,-1,-1"))
        board.set_coc(fitted)
        width, height = board.image_size()
        image = np.empty((height, width), dtype=np.uint16)
        board.run_coc(0)
        try:
            local = rate(lambda: board.read_into(image))
        finally:
            board.stop_coc(0)
    return image.shape, read_only, snap_and_read, local


def position_rates() -> tuple:
    stages = SCRATCH / "stages"
    stages.mkdir()
    shutil.copy(BUILD / "stages" / "zrstages2.dat", stages / "zrstages2.dat")
    tool(BUILD / "bin" / "regtool", "set", r"HKLM\Software\ZR\TALTranslator", "Path", "sz", stages)
    device_sim, device_port = simulator(7)
    local_sim, local_port = simulator(8)
    try:
        devices = [
            {"class": "CorvaneController", "devices": [{"name": "bench/corvane/ctl", "properties": {
                "Port": 7, "MaxBoards": 2, "PortFile": str(device_port),
                "Stages": ["A=LT-50-DC", "B=LT-100-STEP"]}}]},
            {"class": "CorvaneAxis", "devices": [{"name": "bench/corvane/a", "properties": {
                "Controller": "bench/corvane/ctl", "Axis": "A"}}]}]
        with context(devices, "CorvaneServer") as ctx:
            axis = tango.DeviceProxy(ctx.get_device_access("bench/corvane/a"))
            device = rate(lambda: axis.Position)
        from zrlmv import motion
        name, _, path = local_port.read_text().strip().partition("=")
        os.environ[name] = path
        with motion.Controller.connect_rs232(8, 57600, max_controllers=2) as ctl:
            ctl.cst({"A": "LT-50-DC"})
            ctl.ini("A")
            local = rate(lambda: ctl.qpos("A"))
        return device, local
    finally:
        for process in (device_sim, local_sim):
            process.terminate()
            process.wait(timeout=30)


def main() -> None:
    tool(BUILD / "bin" / "lmvpci-install", SCRATCH / "camera")
    shape, read_only, snap_and_read, local = camera_rates()
    device_pos, local_pos = position_rates()
    print(f"Image {shape[1]} x {shape[0]} uint16 over loopback:")
    print(f"  client Image reads          {read_only:9.1f} /s")
    print(f"  client Snap + Image         {snap_and_read:9.1f} frames/s")
    print(f"  package read loop (local)   {local:9.1f} frames/s")
    print(f"  ratio device / local        {snap_and_read / local:9.2f}   (goal >= 0.5)")
    print("Position round trip:")
    print(f"  client Position read        {1e6 / device_pos:9.1f} us")
    print(f"  package qPOS (local)        {1e6 / local_pos:9.1f} us")
    print(f"  ratio device / local        {local_pos / device_pos:9.2f}   (goal <= 3)")
    shutil.rmtree(SCRATCH, ignore_errors=True)


if __name__ == "__main__":
    main()
