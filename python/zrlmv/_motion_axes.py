"""Axis commands: identification, stages, moves, reference moves, home, factor, servo, brakes.

Positions, distances and travel limits are in stage units (mm, degrees, ...) divided by the axis
factor; velocities in those units per second.
"""

from __future__ import annotations

import ctypes
import time
from typing import Mapping

from ._motion_core import CorvaneError, encode, int_array, text_lines, translate_error

_BOOL = ctypes.c_int32


class AxesMixin:
    """Axis commands of Controller; methods take an axis string ("AB", "" for every axis with a
    stage) or a dict {axis: value} and answer with a dict {axis: value}."""

    # ---- identification ---------------------------------------------------------------------
    def qidn(self) -> str:
        """Identification text of the library (asks no board)."""
        return self._text("Corvane_qIDN")

    def qver(self) -> str:
        """Version texts of the library and of every board."""
        return self._text("Corvane_qVER")

    def qsai_all(self) -> str:
        """Identifiers of all boards found, with or without stage, in board order."""
        return self._text("Corvane_qSAI_ALL")

    def qtvi(self) -> str:
        """The 64 characters that may name an axis."""
        return self._text("Corvane_qTVI")

    def sai(self, old_axes: str, new_axes: str) -> None:
        """Renames axes: the n-th character of new_axes names the n-th axis of old_axes."""
        self._call("Corvane_SAI", encode(old_axes), encode(new_axes))

    def qhlp(self) -> str:
        """The help text of the TAL commands."""
        return self._text("Corvane_qHLP")

    # ---- stages -----------------------------------------------------------------------------
    def cst(self, stages: Mapping[str, str]) -> None:
        """Assigns stages by name: {"A": "LT-50-DC"} ("NOSTAGE" takes the stage away)."""
        self._call("Corvane_CST", encode("".join(stages)), encode(" ".join(stages.values())))

    def qcst(self, axes: str = "") -> dict[str, str]:
        """The stage name of each axis ("" : every board)."""
        text = self._text("Corvane_qCST", encode(axes))
        pairs = (line.split("=", 1) for line in text_lines(text) if "=" in line)
        return {axis: stage for axis, stage in pairs}

    def qvst(self) -> list[str]:
        """Names of every stage the catalogue offers, "NOSTAGE" last."""
        return text_lines(self._text("Corvane_qVST", size=1 << 16))

    def add_stage(self, axes: str = "") -> None:
        """Saves the axes' current parameter sets in the user's database under their stage names."""
        self._call("Corvane_AddStage", encode(axes))

    def remove_stage(self, name: str) -> None:
        """Removes a stage from the user's database."""
        self._call("Corvane_RemoveStage", encode(name))

    def open_user_stages_edit_dialog(self) -> None:
        """Not available in this library: always raises CorvaneError (COM_FUNCTION_NOT_SUPPORTED)."""
        self._no_dialog("Corvane_OpenUserStagesEditDialog")

    def open_zr_stages_edit_dialog(self) -> None:
        """Not available in this library: always raises CorvaneError (COM_FUNCTION_NOT_SUPPORTED)."""
        self._no_dialog("Corvane_OpenZrStagesEditDialog")

    def _no_dialog(self, name: str) -> None:
        if getattr(self._lib, name)(self.id) is None:
            self._check(0, name)

    def ini(self, axes: str = "") -> None:
        """Initialises the axes (all with a stage for "")."""
        self._call("Corvane_INI", encode(axes))

    # ---- motion -----------------------------------------------------------------------------
    def mov(self, targets: Mapping[str, float]) -> None:
        """Moves to absolute positions (stage units): mov({"A": 1.5, "B": -2})."""
        self._set("Corvane_MOV", targets)

    def mvr(self, distances: Mapping[str, float]) -> None:
        """Moves by distances (stage units) from the last targets."""
        self._set("Corvane_MVR", distances)

    def pos(self, positions: Mapping[str, float]) -> None:
        """Declares the current place of each axis to be the position; marks it referenced."""
        self._set("Corvane_POS", positions)

    def qpos(self, axes: str = "") -> dict[str, float]:
        """Current positions (stage units)."""
        return self._query("Corvane_qPOS", axes)

    def qmov(self, axes: str = "") -> dict[str, float]:
        """Targets (stage units) as the boards report them."""
        return self._query("Corvane_qMOV", axes)

    def qtmn(self, axes: str = "") -> dict[str, float]:
        """Lower travel limits (stage units, from the home position)."""
        return self._query("Corvane_qTMN", axes)

    def qtmx(self, axes: str = "") -> dict[str, float]:
        """Upper travel limits (stage units, from the home position)."""
        return self._query("Corvane_qTMX", axes)

    def vel(self, velocities: Mapping[str, float]) -> None:
        """Velocities in stage units per second."""
        self._set("Corvane_VEL", velocities)

    def qvel(self, axes: str = "") -> dict[str, float]:
        """Velocities in stage units per second."""
        return self._query("Corvane_qVEL", axes)

    def svo(self, states: Mapping[str, bool]) -> None:
        """Servo (motor control loop) on or off."""
        self._set("Corvane_SVO", states, _BOOL)

    def qsvo(self, axes: str = "") -> dict[str, bool]:
        """Servo state of each axis."""
        return self._query("Corvane_qSVO", axes, _BOOL, bool)

    def qont(self, axes: str = "") -> dict[str, bool]:
        """Whether each axis's board has finished its trajectory."""
        return self._query("Corvane_qONT", axes, _BOOL, bool)

    def is_moving(self, axes: str = "") -> dict[str, bool]:
        """Moving state per axis; for "" one entry "" : whether any axis moves."""
        if not axes:
            moving = (_BOOL * 16)()
            self._call("Corvane_IsMoving", b"", moving)
            return {"": bool(moving[0])}
        return self._query("Corvane_IsMoving", axes, _BOOL, bool)

    def hlt(self, axes: str) -> None:
        """Stops the axes smoothly (the library then holds ZR_CNTR_STOPPED_BY_COMMAND)."""
        self._call("Corvane_HLT", encode(axes))

    def stp(self) -> None:
        """Stops every board at once."""
        self._call("Corvane_STP")

    def wait_on_target(self, axes: str = "", timeout: float = 30.0,
                       interval: float = 0.02) -> dict[str, float]:
        """Waits until every axis is on target; returns the positions (stage units).
        TimeoutError after timeout seconds."""
        deadline = time.monotonic() + timeout
        while not all(self.qont(axes).values()):
            if time.monotonic() > deadline:
                raise TimeoutError(f"axes {axes or self.qsai()} not on target after {timeout} s")
            time.sleep(interval)
        return self.qpos(axes)

    # ---- reference moves ---------------------------------------------------------------------
    def ref(self, axes: str = "") -> None:
        """Starts the reference moves (returns once the first axis is under way)."""
        self._call("Corvane_REF", encode(axes))

    def mnl(self, axes: str = "") -> None:
        """Starts reference moves into the negative limit switches."""
        self._call("Corvane_MNL", encode(axes))

    def mpl(self, axes: str = "") -> None:
        """Starts reference moves into the positive limit switches."""
        self._call("Corvane_MPL", encode(axes))

    def fed(self, edges: Mapping[str, int]) -> None:
        """Starts the boards' own reference edge search: {axis: edge ID (3)}."""
        axes = "".join(edges)
        ids = int_array(list(edges.values()))
        self._call("Corvane_FED", encode(axes), ids, int_array([0] * len(axes)))

    def is_referencing(self, axes: str = "") -> dict[str, bool]:
        """Per axis whether its reference procedure runs now; for "" one entry "": whether a
        reference move of the controller runs at all."""
        if not axes:
            running = (_BOOL * 16)()
            self._call("Corvane_IsReferencing", b"", running)
            return {"": bool(running[0])}
        return self._query("Corvane_IsReferencing", axes, _BOOL, bool)

    def wait_reference_done(self, timeout: float = 60.0, interval: float = 0.05) -> None:
        """Waits until no reference move runs; TimeoutError after timeout seconds."""
        deadline = time.monotonic() + timeout
        while self.is_referencing("")[""]:
            if time.monotonic() > deadline:
                raise TimeoutError(f"reference move still running after {timeout} s")
            time.sleep(interval)

    def get_ref_result(self, axes: str = "") -> dict[str, bool]:
        """Whether each axis's last reference procedure succeeded."""
        return self._query("Corvane_GetRefResult", axes, ctypes.c_int, bool)

    def is_reference_ok(self, axes: str = "") -> dict[str, bool]:
        """Whether each axis is referenced."""
        return self._query("Corvane_IsReferenceOK", axes, _BOOL, bool)

    def qref(self, axes: str = "") -> dict[str, bool]:
        """Whether each axis has a reference switch."""
        return self._query("Corvane_qREF", axes, _BOOL, bool)

    def qlim(self, axes: str = "") -> dict[str, bool]:
        """Whether each axis's stage has limit switches."""
        return self._query("Corvane_qLIM", axes, _BOOL, bool)

    def ron(self, states: Mapping[str, bool]) -> None:
        """Reference mode on (moves need a reference) or off."""
        self._set("Corvane_RON", states, _BOOL)

    def qron(self, axes: str = "") -> dict[str, bool]:
        """Reference mode of each axis."""
        return self._query("Corvane_qRON", axes, _BOOL, bool)

    # ---- home, factor, brakes ----------------------------------------------------------------
    def dfh(self, axes: str) -> None:
        """Makes the current place of each axis its home position (nothing moves)."""
        self._call("Corvane_DFH", encode(axes))

    def qdfh(self, axes: str = "") -> dict[str, float]:
        """Home positions (stage units)."""
        return self._query("Corvane_qDFH", axes)

    def goh(self, axes: str) -> None:
        """Moves the axes to their home positions."""
        self._call("Corvane_GOH", encode(axes))

    def dff(self, factors: Mapping[str, float]) -> None:
        """Axis factors (> 0): positions count stage units divided by the factor."""
        self._set("Corvane_DFF", factors)

    def qdff(self, axes: str = "") -> dict[str, float]:
        """Axis factors."""
        return self._query("Corvane_qDFF", axes)

    def bra(self, states: Mapping[str, bool]) -> None:
        """Brakes: True engages (motor off), False releases."""
        self._set("Corvane_BRA", states, _BOOL)

    def qbra(self) -> str:
        """Identifiers of the axes with a brake."""
        buffer = ctypes.create_string_buffer(256)
        if not self._lib.Corvane_qBRA(self.id, buffer, len(buffer)):
            number = self.get_error()
            text = translate_error(number) if number else "the identifiers do not fit"
            raise CorvaneError(number, text, "Corvane_qBRA")
        return buffer.value.decode("latin-1")

    # ---- status -------------------------------------------------------------------------------
    def qsrg(self, axes: str = "", register: int = 3) -> dict[str, int]:
        """Status register of each axis (3: the switch input byte, signed)."""
        return self._per_axis_items("Corvane_qSRG", axes, register)

    def get_status(self, axes: str, item: int) -> dict[str, int]:
        """One status item per axis: 1 negative limit, 2 positive limit, 3 reference signal,
        4 moving, 5 upper input lines of an R-210 board, 6 servo on."""
        return self._per_axis_items("Corvane_GetStatus", axes, item)

    def _per_axis_items(self, name: str, axes: str, item: int) -> dict[str, int]:
        axes = self._axes_or_all(axes)
        values = int_array([0] * max(len(axes), 16))
        self._call(name, encode(axes), int_array([item] * max(len(axes), 16)), values)
        return {axis: values[i] for i, axis in enumerate(axes)}

    # ---- raw native text ----------------------------------------------------------------------
    def send_non_tal(self, text: str) -> None:
        """Sends native board text as it stands (a line ending in CR unless it starts with a
        control character)."""
        self._call("Corvane_SendNonTALString", encode(text))

    def receive_non_tal(self, size: int = 1024) -> str:
        """The next line the boards sent (waits up to the line time-out of 5 s)."""
        return self._text("Corvane_ReceiveNonTALString", size=size)

    def delay(self, milliseconds: int) -> None:
        """DEL: the board waits (0 to 65535 ms); outside recording returns once it passed."""
        self._call("Corvane_DEL", int(milliseconds))
