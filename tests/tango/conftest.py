"""Set-up of the device-server tests: a scratch registry, the simulated camera boards,
corvane-sim, and device servers started with MultiDeviceTestContext (no database; each server
in a process of its own, forked with the environment prepared here).

ctest passes the build's programs and libraries through the environment (see CMakeLists.txt).
"""

from __future__ import annotations

import importlib
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
SIM_CONFIG = pathlib.Path(__file__).resolve().parent / "corvane-sim-limit.conf"
SIM_COM = 7
SCRATCH = pathlib.Path(tempfile.mkdtemp(prefix="zrlmv-tango-test-"))
os.environ["WINPORT_REGISTRY_DIR"] = str(SCRATCH / "registry")
(SCRATCH / "registry").mkdir()
os.environ["LMVSIM_LOCK_DIR"] = str(SCRATCH)
os.environ["LMVSIM_BOARDS"] = "3"  # 0: the package's own reads, 1 and 2: camera devices
sys.path.insert(0, str(SOURCE_DIR / "python"))
sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import tango  # noqa: E402
from tango.test_context import MultiDeviceTestContext  # noqa: E402

import settings  # noqa: E402


def wait_for(condition, timeout: float, what: str):
    """Polls condition until it gives a true value (returned); TimeoutError after timeout s."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise TimeoutError(f"{what} not within {timeout} s")
        time.sleep(0.05)


def wait_state(proxy, state, timeout: float = 60.0):
    wait_for(lambda: proxy.state() == state, timeout, f"{proxy.name()} in {state}")


def tool_env() -> dict:
    # The build's programs carry their own sanitizer runtime; the preload is for the interpreter.
    return {k: v for k, v in os.environ.items() if k != "LD_PRELOAD"}


def run_tool(*args: str) -> None:
    subprocess.run(args, check=True, env=tool_env(), stdout=subprocess.DEVNULL, timeout=120)


class Simulator:
    """corvane-sim on WINPORT_COM<SIM_COM>, announcing its port in a port file."""

    def __init__(self, name: str) -> None:
        self.port_file = SCRATCH / f"{name}.port"
        self.process = None

    def start(self) -> "Simulator":
        self.port_file.unlink(missing_ok=True)
        self.process = subprocess.Popen(
            [str(BIN_DIR / "corvane-sim"), "--com", str(SIM_COM), "--config", str(SIM_CONFIG),
             "--port-file", str(self.port_file)], env=tool_env(), stdout=subprocess.DEVNULL)
        wait_for(lambda: self.port_file.is_file() and self.port_file.read_text().strip(), 30,
                 "corvane-sim's port file")
        return self

    def kill(self) -> None:
        if self.process and self.process.poll() is None:
            self.process.kill()
            self.process.wait(timeout=30)


@pytest.fixture(scope="session")
def stage_database() -> None:
    stages = SCRATCH / "stages"
    stages.mkdir()
    shutil.copy(STAGE_DATABASE, stages / "zrstages2.dat")
    run_tool(str(BIN_DIR / "regtool"), "set", r"HKLM\Software\ZR\TALTranslator", "Path", "sz",
             str(stages))


@pytest.fixture(scope="session")
def camera_installed() -> None:
    run_tool(str(BIN_DIR / "lmvpci-install"), str(SCRATCH / "camera"))


def with_class_pair(info: dict) -> dict:
    """The entry with its class as (Tango class, device class): given a lone device class, the
    test context starts it under the class's name instead of the server name asked for."""
    module, _, name = info["class"].rpartition(".")
    device = getattr(importlib.import_module(module), name)
    return dict(info, **{"class": (device.TangoClassClass, device)})


class Servers:
    """A running MultiDeviceTestContext and proxies to its devices by name."""

    def __init__(self, devices_info: list, server: str) -> None:
        self.context = MultiDeviceTestContext([with_class_pair(i) for i in devices_info],
                                              server_name=server, process=True, timeout=60)
        self._proxies = {}

    def __enter__(self) -> "Servers":
        self.context.__enter__()
        return self

    def __exit__(self, *exc) -> None:
        self.context.__exit__(*exc)

    def proxy(self, name: str) -> tango.DeviceProxy:
        if name not in self._proxies:
            proxy = tango.DeviceProxy(self.context.get_device_access(name))
            proxy.set_timeout_millis(20000)
            self._proxies[name] = proxy
        return self._proxies[name]


def corvane_servers(simulator: Simulator) -> Servers:
    return Servers(settings.corvane_devices(SIM_COM, str(simulator.port_file)), "CorvaneServer")


@pytest.fixture(scope="module")
def motion(stage_database):
    """corvane-sim and a CorvaneServer with its controller and axes A and B."""
    simulator = Simulator("module").start()
    try:
        with corvane_servers(simulator) as servers:
            yield servers
    finally:
        simulator.kill()


@pytest.fixture
def lone_simulator(stage_database):
    """A simulator of the test's own, to kill and start again."""
    simulator = Simulator("lone")
    try:
        yield simulator.start()
    finally:
        simulator.kill()


@pytest.fixture(scope="module")
def cameras(camera_installed):
    """A LumivertServer with cameras on boards 1, 2 and 7 (missing)."""
    with Servers(settings.camera_devices(), "LumivertServer") as servers:
        yield servers


@pytest.fixture
def camera_device(cameras):
    return cameras.proxy(settings.CAMERA)
