"""Parameters by parameter ID (SPA, qSPA, qHPA).

Values are in the units the parameter table of the header gives (stage units, stage units per
second, counts, board units); ID 60 is the stage name, a text.
"""

from __future__ import annotations

import ctypes
from typing import Iterable, Mapping, Union

from ._motion_core import encode, int_array

STAGE_NAME = 60
Value = Union[float, str]


class ParametersMixin:
    """Parameter commands of Controller. Items are keyed by (axis, parameter ID)."""

    def spa(self, items: Mapping[tuple[str, int], Value]) -> None:
        """Sets parameters: spa({("A", 10): 20.0, ("A", 60): "MYSTAGE"}). Every item is checked
        before anything is sent."""
        axes = "".join(axis for axis, _id in items)
        ids = int_array([pid for _axis, pid in items], ctypes.c_uint)
        values = (ctypes.c_double * max(len(items), 1))(
            *(0.0 if pid == STAGE_NAME else float(v) for (_a, pid), v in items.items()))
        names = "".join(f"{v}\n" for (_a, pid), v in items.items() if pid == STAGE_NAME)
        self._call("Corvane_SPA", encode(axes), ids, values, encode(names))

    def qspa(self, items: Iterable[tuple[str, int]]) -> dict[tuple[str, int], Value]:
        """Reads parameters: qspa([("A", 10), ("A", 60)]) -> {("A", 10): 20.0, ("A", 60): "..."}
        (ID 60: the stage name, "" for an axis without stage)."""
        items = list(items)
        numbers = [item for item in items if item[1] != STAGE_NAME]
        found: dict[tuple[str, int], Value] = {}
        if numbers:
            found.update(zip(numbers, self._qspa_numbers(numbers)))
        for item in items:
            if item[1] == STAGE_NAME:
                found[item] = self._qspa_name(item[0])
        return {item: found[item] for item in items}

    def _qspa_numbers(self, items: list[tuple[str, int]]) -> list[float]:
        values = (ctypes.c_double * len(items))()
        strings = ctypes.create_string_buffer(256)
        self._call("Corvane_qSPA", encode("".join(a for a, _p in items)),
                   int_array([p for _a, p in items], ctypes.c_uint), values, strings,
                   len(strings))
        return list(values)

    def _qspa_name(self, axis: str) -> str:
        values = (ctypes.c_double * 1)()
        strings = ctypes.create_string_buffer(256)
        self._call("Corvane_qSPA", encode(axis), int_array([STAGE_NAME], ctypes.c_uint), values,
                   strings, len(strings))
        return strings.value.decode("latin-1").strip()

    def qhpa(self) -> str:
        """The parameters the boards support, one line per ID."""
        return self._text("Corvane_qHPA", size=1 << 14)
