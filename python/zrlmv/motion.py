"""Motion controllers: Pythonic access to libZR_Corvane_TAL.

Positions, distances and velocities are in the stage's unit (mm, degrees, ...) divided by the
axis factor. Axes are named by one character each; methods take an axis string ("AB") or a dict
{axis: value} and answer with a dict {axis: value}.

The library keeps its controllers in a table without a lock: connecting and closing must not
overlap other use of the same controller ID (this package adds no lock there).
"""

from __future__ import annotations

import ctypes
import time
from typing import Callable, Mapping, Optional

from . import _raw
from .motion_errors import ERRORS, NAMES  # noqa: F401  (re-exported)

_TEXT_SIZE = 4096
_MAX_AXES = 16


class CorvaneError(Exception):
    """A motion library call failed: number (see motion_errors) and the library's text."""

    def __init__(self, number: int, text: str, call: str = "") -> None:
        self.number = number
        self.text = text
        self.call = call
        where = f"{call}: " if call else ""
        super().__init__(f"{where}error {number} ({NAMES.get(number, 'no name')}): {text}")


def library(path: Optional[str] = None):
    """The raw layer (loaded once per process; path only counts at the first load)."""
    return _raw.motion(path)


def translate_error(number: int) -> str:
    """The library's text for an error number."""
    buffer = ctypes.create_string_buffer(1024)
    if not library().Corvane_TranslateError(number, buffer, len(buffer)):
        return f"error {number}"
    return buffer.value.decode("utf-8", "replace")


def _axes_bytes(axes: str) -> bytes:
    return axes.encode("ascii")


class Controller:
    """One connected chain of boards. Use as a context manager; closes on exit."""

    def __init__(self, controller_id: int = -1) -> None:
        self._lib = library()
        self.id = controller_id

    # ---- connection -------------------------------------------------------------------------
    @classmethod
    def connect_rs232(cls, port: int, baud: int = 57600, *,
                      max_controllers: Optional[int] = None) -> "Controller":
        """Connects to COM<port> (WINPORT_COM<port> on Linux) at baud; scans for boards.

        max_controllers: number of daisy-chain addresses to scan (fewer is faster).
        Raises CorvaneError -1 when the port does not open or no board answers.
        """
        lib = library()
        if max_controllers is not None:
            lib.Corvane_SetMaxNrOfControllers(max_controllers)
        controller_id = lib.Corvane_ConnectRS232(port, baud)
        if controller_id < 0:
            raise CorvaneError(-1, f"no controller on COM{port} at {baud} baud",
                               "Corvane_ConnectRS232")
        return cls(controller_id)

    @classmethod
    def interface_setup_dialog(cls, key: Optional[str] = None) -> "Controller":
        """Connects on the port the user picks in the "Connect" dialog (needs a display)."""
        controller_id = library().Corvane_InterfaceSetupDlg(key.encode() if key else None)
        if controller_id < 0:
            raise CorvaneError(-1, "no connection from the dialog", "Corvane_InterfaceSetupDlg")
        return cls(controller_id)

    def close(self) -> None:
        """Ends the connection; the ID is invalid afterwards. Safe to call twice."""
        if self.id >= 0:
            self._lib.Corvane_CloseConnection(self.id)
            self.id = -1

    def __enter__(self) -> "Controller":
        return self

    def __exit__(self, *exc) -> None:
        self.close()

    @property
    def connected(self) -> bool:
        return bool(self._lib.Corvane_IsConnected(self.id))

    # ---- errors -----------------------------------------------------------------------------
    def get_error(self) -> int:
        """Returns and clears the controller's error number."""
        return self._lib.Corvane_GetError(self.id)

    def _check(self, ok: int, call: str) -> None:
        if not ok:
            number = self.get_error()  # read once: it clears
            raise CorvaneError(number, translate_error(number), call)

    def _call(self, name: str, *args) -> int:
        result = getattr(self._lib, name)(self.id, *args)
        self._check(result, name)
        return result

    # ---- generic shapes of the axis functions -------------------------------------------------
    def _axes_or_all(self, axes: Optional[str]) -> str:
        return axes if axes else self.qsai()

    def _set(self, name: str, values: Mapping[str, float], ctype=ctypes.c_double) -> None:
        axes = "".join(values)
        array = (ctype * max(len(axes), 1))(*values.values())
        self._call(name, _axes_bytes(axes), array)

    def _query(self, name: str, axes: Optional[str], ctype=ctypes.c_double,
               convert: Callable = float) -> dict:
        axes = self._axes_or_all(axes)
        array = (ctype * max(len(axes), _MAX_AXES))()
        self._call(name, _axes_bytes(axes), array)
        return {axis: convert(array[i]) for i, axis in enumerate(axes)}

    def _text(self, name: str, *args, size: int = _TEXT_SIZE) -> str:
        buffer = ctypes.create_string_buffer(size)
        self._call(name, *args, buffer, size)
        return buffer.value.decode("utf-8", "replace")

    # ---- identification and stages -------------------------------------------------------------
    def qidn(self) -> str:
        return self._text("Corvane_qIDN")

    def qver(self) -> str:
        return self._text("Corvane_qVER")

    def qsai(self) -> str:
        """Identifiers of the axes that have a stage, in board order."""
        return self._text("Corvane_qSAI")

    def qsai_all(self) -> str:
        return self._text("Corvane_qSAI_ALL")

    def qtvi(self) -> str:
        return self._text("Corvane_qTVI")

    def cst(self, stages: Mapping[str, str]) -> None:
        """Assigns stages by name: {"A": "LT-50-DC"}."""
        self._call("Corvane_CST", _axes_bytes("".join(stages)), " ".join(stages.values()).encode())

    def qcst(self, axes: str = "") -> dict[str, str]:
        text = self._text("Corvane_qCST", _axes_bytes(axes))
        pairs = (line.strip().split("=", 1) for line in text.splitlines() if "=" in line)
        return {axis: stage for axis, stage in pairs}

    def ini(self, axes: str = "") -> None:
        """Initialises the axes (all with a stage for "")."""
        self._call("Corvane_INI", _axes_bytes(axes))

    # ---- motion ---------------------------------------------------------------------------------
    def mov(self, targets: Mapping[str, float]) -> None:
        """Moves to absolute positions (stage units): mov({"A": 1.5, "B": -2})."""
        self._set("Corvane_MOV", targets)

    def mvr(self, distances: Mapping[str, float]) -> None:
        self._set("Corvane_MVR", distances)

    def pos(self, positions: Mapping[str, float]) -> None:
        """Declares the current place of each axis to be the position; marks it referenced."""
        self._set("Corvane_POS", positions)

    def qpos(self, axes: str = "") -> dict[str, float]:
        return self._query("Corvane_qPOS", axes)

    def qmov(self, axes: str = "") -> dict[str, float]:
        return self._query("Corvane_qMOV", axes)

    def qtmn(self, axes: str = "") -> dict[str, float]:
        return self._query("Corvane_qTMN", axes)

    def qtmx(self, axes: str = "") -> dict[str, float]:
        return self._query("Corvane_qTMX", axes)

    def vel(self, velocities: Mapping[str, float]) -> None:
        """Velocities in stage units per second."""
        self._set("Corvane_VEL", velocities)

    def qvel(self, axes: str = "") -> dict[str, float]:
        return self._query("Corvane_qVEL", axes)

    def svo(self, states: Mapping[str, bool]) -> None:
        self._set("Corvane_SVO", states, ctypes.c_int32)

    def qsvo(self, axes: str = "") -> dict[str, bool]:
        return self._query("Corvane_qSVO", axes, ctypes.c_int32, bool)

    def ron(self, states: Mapping[str, bool]) -> None:
        self._set("Corvane_RON", states, ctypes.c_int32)

    def qron(self, axes: str = "") -> dict[str, bool]:
        return self._query("Corvane_qRON", axes, ctypes.c_int32, bool)

    def qont(self, axes: str = "") -> dict[str, bool]:
        return self._query("Corvane_qONT", axes, ctypes.c_int32, bool)

    def is_moving(self, axes: str = "") -> dict[str, bool]:
        return self._query("Corvane_IsMoving", axes, ctypes.c_int32, bool)

    def ref(self, axes: str = "") -> None:
        """Starts the reference moves (returns once the first axis is under way)."""
        self._call("Corvane_REF", _axes_bytes(axes))

    def is_referencing(self, axes: str = "") -> dict[str, bool]:
        return self._query("Corvane_IsReferencing", axes, ctypes.c_int32, bool)

    def hlt(self, axes: str) -> None:
        """Stops the axes smoothly (the library then holds ZR_CNTR_STOPPED_BY_COMMAND)."""
        self._call("Corvane_HLT", _axes_bytes(axes))

    def stp(self) -> None:
        self._call("Corvane_STP")

    def wait_on_target(self, axes: str = "", timeout: float = 30.0,
                       interval: float = 0.02) -> dict[str, float]:
        """Waits until every axis is on target; returns the positions. TimeoutError after
        timeout seconds."""
        deadline = time.monotonic() + timeout
        while not all(self.qont(axes).values()):
            if time.monotonic() > deadline:
                raise TimeoutError(f"axes {axes or self.qsai()} not on target after {timeout} s")
            time.sleep(interval)
        return self.qpos(axes)

    # ---- raw native text ----------------------------------------------------------------------
    def send_non_tal(self, text: str) -> None:
        self._call("Corvane_SendNonTALString", text.encode("latin-1"))

    def receive_non_tal(self, size: int = 1024) -> str:
        return self._text("Corvane_ReceiveNonTALString", size=size)
