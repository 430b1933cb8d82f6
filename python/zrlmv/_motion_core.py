"""The controller's connection, its errors and the shapes shared by the axis functions."""

from __future__ import annotations

import ctypes
import types
from typing import Callable, Mapping, Optional, Sequence

from . import _raw
from .motion_errors import NAMES

TEXT_SIZE = 4096
MAX_AXES = 16


class CorvaneError(Exception):
    """A motion library call failed: number (see motion_errors) and the library's text."""

    def __init__(self, number: int, text: str, call: str = "") -> None:
        self.number = number
        self.text = text
        self.call = call
        where = f"{call}: " if call else ""
        super().__init__(f"{where}error {number} ({NAMES.get(number, 'no name')}): {text}")


def library(path: Optional[str] = None) -> types.SimpleNamespace:
    """The raw layer (loaded once per process; path only counts at the first load)."""
    return _raw.motion(path)


def translate_error(number: int) -> str:
    """The library's text for an error number."""
    buffer = ctypes.create_string_buffer(1024)
    if not library().Corvane_TranslateError(number, buffer, len(buffer)):
        return f"error {number}"
    return buffer.value.decode("utf-8", "replace")


def encode(text: Optional[str]) -> Optional[bytes]:
    return None if text is None else text.encode("latin-1")


def int_array(values: Sequence[int], ctype=ctypes.c_int):
    return (ctype * max(len(values), 1))(*values)


def text_lines(text: str) -> list[str]:
    """The library's list texts: entries separated by " \\n", the last ending in "\\n"."""
    return [line.strip() for line in text.split("\n") if line.strip()]


class ControllerCore:
    """Connection, error handling and the calling shapes; the command families build on it."""

    def __init__(self, controller_id: int = -1) -> None:
        self._lib = library()
        self.id = controller_id

    def close(self) -> None:
        """Ends the connection; the ID is invalid afterwards. Safe to call twice."""
        if self.id >= 0:
            self._lib.Corvane_CloseConnection(self.id)
            self.id = -1

    def __enter__(self) -> "ControllerCore":
        return self

    def __exit__(self, *exc) -> None:
        self.close()

    @property
    def connected(self) -> bool:
        """Whether the ID names a connected controller (asks no board)."""
        return bool(self._lib.Corvane_IsConnected(self.id))

    # ---- errors ---------------------------------------------------------------------------------
    def get_error(self) -> int:
        """Returns and clears the controller's error number."""
        return self._lib.Corvane_GetError(self.id)

    def qerr(self) -> int:
        """As get_error, through Corvane_qERR (refused while a macro is being recorded)."""
        number = ctypes.c_int()
        self._call("Corvane_qERR", ctypes.byref(number))
        return number.value

    def set_error_check(self, flag: bool) -> bool:
        """Stores the error-check flag; returns the previous one."""
        return bool(self._lib.Corvane_SetErrorCheck(self.id, int(flag)))

    def _check(self, ok: int, call: str) -> None:
        if not ok:
            number = self.get_error()  # read once: it clears
            raise CorvaneError(number, translate_error(number), call)

    def _call(self, name: str, *args) -> int:
        result = getattr(self._lib, name)(self.id, *args)
        self._check(result, name)
        return result

    # ---- shapes of the axis functions -----------------------------------------------------------
    def _axes_or_all(self, axes: Optional[str]) -> str:
        return axes if axes else self.qsai()

    def _set(self, name: str, values: Mapping[str, float], ctype=ctypes.c_double) -> None:
        axes = "".join(values)
        array = (ctype * max(len(axes), 1))(*values.values())
        self._call(name, encode(axes), array)

    def _query(self, name: str, axes: Optional[str], ctype=ctypes.c_double,
               convert: Callable = float) -> dict:
        axes = self._axes_or_all(axes)
        array = (ctype * max(len(axes), MAX_AXES))()
        self._call(name, encode(axes), array)
        return {axis: convert(array[i]) for i, axis in enumerate(axes)}

    def _text(self, name: str, *args, size: int = TEXT_SIZE) -> str:
        buffer = ctypes.create_string_buffer(size)
        self._call(name, *args, buffer, size)
        return buffer.value.decode("latin-1")

    def qsai(self) -> str:
        """Identifiers of the axes that have a stage, in board order."""
        return self._text("Corvane_qSAI")
