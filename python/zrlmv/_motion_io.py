"""Digital and analog lines of the boards.

Every board has four digital lines named by characters ("ABCD" on board 0, "EFGH" on board 1)
and analog inputs numbered 4 x board + line; analog readings are in volts (0 to 5 V).
"""

from __future__ import annotations

import ctypes
from typing import Mapping

from ._motion_core import encode

_BOOL = ctypes.c_int32
_LINES_PER_BOARD = 4


class IoMixin:
    """Digital and analog I/O commands of Controller."""

    def channel_names(self) -> str:
        """The digital channel names of all boards (inputs and outputs are the same lines)."""
        return self._text("Corvane_GetInputChannelNames", size=256)

    def output_channel_names(self) -> str:
        """Same as channel_names, through Corvane_GetOutputChannelNames."""
        return self._text("Corvane_GetOutputChannelNames", size=256)

    def dio(self, outputs: Mapping[str, bool]) -> None:
        """Switches digital outputs on or off: dio({"A": True, "C": False})."""
        self._set("Corvane_DIO", outputs, _BOOL)

    def qdio(self, channels: str = "") -> dict[str, bool]:
        """Digital inputs by channel ("" : every channel)."""
        channels = channels or self.channel_names()
        states = (_BOOL * max(len(channels), 1))()
        self._call("Corvane_qDIO", encode(channels), states)
        return {c: bool(states[i]) for i, c in enumerate(channels)}

    def qtio(self) -> tuple[int, int]:
        """(number of digital inputs, number of digital outputs)."""
        inputs, outputs = ctypes.c_int(), ctypes.c_int()
        self._call("Corvane_qTIO", ctypes.byref(inputs), ctypes.byref(outputs))
        return inputs.value, outputs.value

    def qtac(self) -> int:
        """Number of analog input channels."""
        count = ctypes.c_int()
        self._call("Corvane_qTAC", ctypes.byref(count))
        return count.value

    def qtav(self, channel: int) -> float:
        """Voltage of an analog input channel (4 x board + line), 0 to 5 V."""
        volts = ctypes.c_double()
        self._call("Corvane_qTAV", int(channel), ctypes.byref(volts))
        return volts.value

    @staticmethod
    def analog_channel(board: int, line: int) -> int:
        """Channel number of analog line 1..4 of a board."""
        return _LINES_PER_BOARD * board + line
