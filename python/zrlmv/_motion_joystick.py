"""Joysticks: control on/off, tables, button and axis readings.

A board with a joystick port carries joystick ID board + 1 with one axis and one button (ID 1
each). Joystick axis positions are -1.0 to +1.0; table values likewise, in steps of 1/1024.
"""

from __future__ import annotations

import ctypes
import time
from dataclasses import dataclass
from typing import Mapping, Optional, Sequence

import numpy as np

from ._motion_core import CorvaneError, int_array, text_lines

_BOOL = ctypes.c_int32
_JOYSTICK_AXIS = 1
_BUTTON = 1


@dataclass
class JoystickTableRead:
    """A background read of joystick tables started by Controller.qjlt."""
    controller: object
    header: str
    rows: int
    joysticks: list[int]
    _values: ctypes.POINTER(ctypes.c_double)
    _generation: int

    def done(self) -> int:
        """Number of final values so far."""
        return self.controller._lib.Corvane_GetAsyncBufferIndex(self.controller.id)

    def wait(self, timeout: float = 30.0, interval: float = 0.02) -> np.ndarray:
        """Waits for the whole read; returns a copy, shape (rows, joysticks). TimeoutError."""
        total = self.rows * len(self.joysticks)
        deadline = time.monotonic() + timeout
        while self.done() < total:
            self._check_current()
            if time.monotonic() > deadline:
                raise TimeoutError(f"joystick table read not done after {timeout} s")
            time.sleep(interval)
        # the library's buffer lives until the next qJLT or the closing: copy it out
        self._check_current()
        flat = np.ctypeslib.as_array(self._values, shape=(total,)).copy()
        return flat.reshape(self.rows, len(self.joysticks))


    def _check_current(self) -> None:
        if self.controller.id < 0:
            raise ValueError("the controller was closed: the read's buffer is gone")
        if self.controller._jlt_generation != self._generation:
            raise ValueError("a later qjlt replaced this read's buffer")


class JoystickMixin:
    """Joystick commands of Controller. Joysticks are named by their IDs (board + 1)."""

    _jlt_generation = 0

    def qtnj(self) -> int:
        """Number of joysticks."""
        count = ctypes.c_int()
        self._call("Corvane_qTNJ", ctypes.byref(count))
        return count.value

    def joystick_ids(self) -> list[int]:
        """The IDs of the joysticks, in board order (asks no board)."""
        found = []
        for board in range(len(self.qsai_all())):
            if self._joystick_axis_text([board + 1], check=False) is not None:
                found.append(board + 1)
        return found

    def _ids(self, joysticks: Optional[Sequence[int]]) -> list[int]:
        return list(joysticks) if joysticks is not None else self.joystick_ids()

    def jon(self, states: Mapping[int, bool]) -> None:
        """Joystick control of each joystick's axis on or off: jon({1: True})."""
        ids = list(states)
        flags = int_array([1 if states[j] else 0 for j in ids], _BOOL)
        self._call("Corvane_JON", int_array(ids), flags, len(ids))

    def qjon(self, joysticks: Optional[Sequence[int]] = None) -> dict[int, bool]:
        """Whether each joystick controls its axis."""
        ids = self._ids(joysticks)
        states = (_BOOL * max(len(ids), 1))()
        self._call("Corvane_qJON", int_array(ids), states, len(ids))
        return {j: bool(states[i]) for i, j in enumerate(ids)}

    def qjax(self, joysticks: Optional[Sequence[int]] = None) -> dict[int, str]:
        """The axis identifier each joystick moves."""
        ids = self._ids(joysticks)
        return dict(zip(ids, text_lines(self._joystick_axis_text(ids))))

    def _joystick_axis_text(self, ids: list[int], check: bool = True) -> Optional[str]:
        buffer = ctypes.create_string_buffer(1024)
        axes = int_array([_JOYSTICK_AXIS] * len(ids))
        args = (int_array(ids), axes, len(ids), buffer, len(buffer))
        if not check:
            if not self._lib.Corvane_qJAX(self.id, *args):
                self.get_error()  # clear the refusal
                return None
        else:
            self._call("Corvane_qJAX", *args)
        return buffer.value.decode("latin-1")

    def jdt(self, table_types: Mapping[int, int]) -> None:
        """Loads a joystick table per joystick: 1 linear, 3 the board's second table."""
        ids = list(table_types)
        self._call("Corvane_JDT", int_array(ids), int_array([table_types[j] for j in ids]),
                   len(ids))

    def qjbs(self, joysticks: Optional[Sequence[int]] = None) -> dict[int, bool]:
        """Whether each joystick's button is pressed."""
        ids = self._ids(joysticks)
        pressed = (_BOOL * max(len(ids), 1))()
        self._call("Corvane_qJBS", int_array(ids), int_array([_BUTTON] * len(ids)), pressed,
                   len(ids))
        return {j: bool(pressed[i]) for i, j in enumerate(ids)}

    def qjas(self, joysticks: Optional[Sequence[int]] = None) -> dict[int, float]:
        """Position of each joystick's axis, -1.0 to +1.0."""
        ids = self._ids(joysticks)
        values = (ctypes.c_double * max(len(ids), 1))()
        self._call("Corvane_qJAS", int_array(ids), int_array([_JOYSTICK_AXIS] * len(ids)), values,
                   len(ids))
        return {j: values[i] for i, j in enumerate(ids)}

    def jlt(self, joystick: int, start: int, values: Sequence[float]) -> None:
        """Writes table values (-1.0..1.0) from address start (1..256) into a joystick's table."""
        array = (ctypes.c_double * max(len(values), 1))(*values)
        self._call("Corvane_JLT", int(joystick), _JOYSTICK_AXIS, int(start), array, len(values))

    def qjlt(self, start: int, rows: int,
             joysticks: Optional[Sequence[int]] = None) -> JoystickTableRead:
        """Starts reading table rows start .. start + rows - 1 in the background; .wait() gives
        them as an array of shape (rows, joysticks)."""
        ids = self._ids(joysticks)
        if not ids:
            raise CorvaneError(-1, "no joystick", "Corvane_qJLT")
        values = ctypes.POINTER(ctypes.c_double)()
        header = ctypes.create_string_buffer(4096)
        self._call("Corvane_qJLT", int_array(ids), int_array([_JOYSTICK_AXIS] * len(ids)),
                   len(ids), int(start), int(rows), ctypes.byref(values), header, len(header))
        self._jlt_generation += 1
        return JoystickTableRead(self, header.value.decode("latin-1"), int(rows), ids, values,
                                 self._jlt_generation)

    def get_async_buffer_index(self) -> int:
        """Number of final values of the buffer of the last qjlt."""
        return self._lib.Corvane_GetAsyncBufferIndex(self.id)
