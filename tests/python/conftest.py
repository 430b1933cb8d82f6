"""Set-up of the Python tests: a scratch registry, the simulated camera board and corvane-sim.

ctest passes the build's programs and libraries through the environment (see CMakeLists.txt);
the scratch registry is in place before either library is loaded.
"""

from __future__ import annotations

import os
import pathlib
import shutil
import subprocess
import sys
import tempfile
import time

import pytest

SOURCE_DIR = pathlib.Path(os.environ.get("ZRLMV_SOURCE_DIR",
                                         pathlib.Path(__file__).resolve().parents[2]))
BIN_DIR = pathlib.Path(os.environ.get("ZRLMV_TEST_BIN", SOURCE_DIR / "build" / "asan" / "bin"))
STAGE_DATABASE = pathlib.Path(os.environ.get("ZRLMV_TEST_STAGES",
                                             BIN_DIR.parent / "stages" / "zrstages2.dat"))
SIM_COM = 7
SCRATCH = pathlib.Path(tempfile.mkdtemp(prefix="zrlmv-test-"))
os.environ["WINPORT_REGISTRY_DIR"] = str(SCRATCH / "registry")
(SCRATCH / "registry").mkdir()
os.environ["LMVSIM_LOCK_DIR"] = str(SCRATCH)  # board locks of our own, beside parallel tests
sys.path.insert(0, str(SOURCE_DIR / "python"))


def wait_for(condition, timeout: float, what: str) -> None:
    deadline = time.monotonic() + timeout
    while not condition():
        if time.monotonic() > deadline:
            raise TimeoutError(f"{what} not within {timeout} s")
        time.sleep(0.05)


def run_tool(*args: str) -> None:
    # The build's programs carry their own sanitizer runtime; the preload is for the interpreter.
    env = {k: v for k, v in os.environ.items() if k != "LD_PRELOAD"}
    subprocess.run(args, check=True, env=env, stdout=subprocess.DEVNULL, timeout=120)


@pytest.fixture(scope="session")
def camera_installed() -> pathlib.Path:
    """The simulated camera board installed into the scratch registry."""
    folder = SCRATCH / "camera"
    run_tool(str(BIN_DIR / "lmvpci-install"), str(folder))
    return folder


@pytest.fixture(scope="session")
def corvane_sim():
    """corvane-sim with the two boards that match the shipped stages LT-50-DC (A) and
    LT-100-STEP (B); its port is WINPORT_COM7. The stage database is found via the registry."""
    stages = SCRATCH / "stages"
    stages.mkdir()
    shutil.copy(STAGE_DATABASE, stages / "zrstages2.dat")
    run_tool(str(BIN_DIR / "regtool"), "set", r"HKLM\Software\ZR\TALTranslator", "Path", "sz",
             str(stages))
    port_file = SCRATCH / "corvane-sim.port"
    env = {k: v for k, v in os.environ.items() if k != "LD_PRELOAD"}
    sim = subprocess.Popen([str(BIN_DIR / "corvane-sim"), "--com", str(SIM_COM), "--config",
                            str(SOURCE_DIR / "data" / "stages" / "corvane-sim-stages.conf"),
                            "--port-file", str(port_file)],
                           env=env, stdout=subprocess.DEVNULL)
    try:
        wait_for(lambda: port_file.is_file() and port_file.read_text().strip(), 30,
                 "corvane-sim's port file")
        name, device = port_file.read_text().strip().split("=", 1)
        os.environ[name] = device
        yield SIM_COM
    finally:
        sim.terminate()
        sim.wait(timeout=30)


@pytest.fixture
def controller(corvane_sim):
    from zrlmv import motion
    with motion.Controller.connect_rs232(corvane_sim, 57600, max_controllers=2) as ctl:
        yield ctl


@pytest.fixture
def board(camera_installed):
    from zrlmv import camera
    with camera.Board(0) as b:
        yield b
