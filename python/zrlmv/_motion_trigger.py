"""Trigger outputs: a board that can trigger carries trigger output ID board + 1.

Parameters: 1 trigger value (stage units), 2 the axis of the output's board (its identifier),
3 the mode (8, 7 or 0), 10 a trigger position (stage units, within the travel range).
"""

from __future__ import annotations

import ctypes
from typing import Iterable, Mapping, Optional, Sequence, Union

from ._motion_core import encode, int_array, text_lines

_BOOL = ctypes.c_int32


class TriggerMixin:
    """Trigger output commands of Controller; items are keyed by (output ID, parameter)."""

    def trigger_output_ids(self) -> list[int]:
        """IDs of the trigger outputs, in board order."""
        found = []
        for board in range(len(self.qsai_all())):
            state = (_BOOL * 1)()
            if self._lib.Corvane_qTRO(self.id, int_array([board + 1]), state, 1):
                found.append(board + 1)
            else:
                self.get_error()  # clear the refusal
        return found

    def cto(self, items: Mapping[tuple[int, int], Union[float, str]]) -> None:
        """Sets trigger parameters: cto({(1, 2): "A", (1, 3): 8, (1, 10): 2.5})."""
        outputs = int_array([o for o, _p in items])
        parameters = int_array([p for _o, p in items])
        values = " ".join(str(v) for v in items.values())
        self._call("Corvane_CTO", outputs, parameters, encode(values), len(items))

    def qcto(self, items: Iterable[tuple[int, int]]) -> dict[tuple[int, int], str]:
        """Reads trigger parameters: {(output, parameter): the board's line for it}."""
        items = list(items)
        buffer = ctypes.create_string_buffer(4096)
        self._call("Corvane_qCTO", int_array([o for o, _p in items]),
                   int_array([p for _o, p in items]), buffer, len(items), len(buffer))
        return dict(zip(items, text_lines(buffer.value.decode("latin-1"))))

    def tro(self, states: Mapping[int, bool]) -> None:
        """Switches trigger outputs on (with their mode) or off: tro({1: True})."""
        ids = list(states)
        flags = int_array([1 if states[o] else 0 for o in ids], _BOOL)
        self._call("Corvane_TRO", int_array(ids), flags, len(ids))

    def qtro(self, outputs: Optional[Sequence[int]] = None) -> dict[int, bool]:
        """Whether each trigger output is on."""
        ids = list(outputs) if outputs is not None else self.trigger_output_ids()
        states = (_BOOL * max(len(ids), 1))()
        self._call("Corvane_qTRO", int_array(ids), states, len(ids))
        return {o: bool(states[i]) for i, o in enumerate(ids)}
