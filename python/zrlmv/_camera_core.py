"""Errors of the camera library, its package lock, and the board's selection and set-up."""

from __future__ import annotations

import contextlib
import threading
import types
import warnings
from typing import Optional

from . import _raw
from ._camera_memory import MemoryViews
from .camera_codes import NO_CAMERA, text

# Selecting with this bit leaves the board's loaded table alone.
SELECT_ONLY = 0x100

# The library acts on its current board: selecting and calling happen under this lock.
board_lock = threading.RLock()


class LmvError(Exception):
    """A camera library call returned a negative code."""

    def __init__(self, code: int, call: str = "") -> None:
        self.code = code
        self.text = text(code)
        self.call = call
        where = f"{call}: " if call else ""
        super().__init__(f"{where}error {code}: {self.text}")


class LmvWarning(UserWarning):
    """The camera library answered with a warning (120: no camera answers)."""


def library(path: Optional[str] = None) -> types.SimpleNamespace:
    """The raw layer (loaded once per process; path only counts at the first load)."""
    return _raw.camera(path)


def check(result: int, call: str = "") -> int:
    """Raises LmvError for a negative result; returns 0 and the warnings (100, 120, ...) as
    values (120 also as an LmvWarning)."""
    if result < 0:
        raise LmvError(result, call)
    if result == NO_CAMERA:
        warnings.warn(f"{call}: {text(result)}", LmvWarning, stacklevel=3)
    return result


def call(name: str, *args) -> int:
    """A board-less export under the package lock, its result checked."""
    with board_lock:
        return check(getattr(library(), name)(*args), name)


class BoardCore:
    """Selection, set-up and the arrays over library memory of one board."""

    def __init__(self, number: int = 0, mode: int = 1) -> None:
        self._lib = library()
        self.number = number
        self.mode = mode
        self.init_result: Optional[int] = None
        # arrays over memory the library owns, dropped when the library frees it
        self.memory = MemoryViews()

    def _invoke(self, name: str, *args) -> int:
        """Selects this board and calls the export; checks the result."""
        with board_lock:
            check(self._lib.SET_BOARD(self.number | SELECT_ONLY), "SET_BOARD")
            return check(getattr(self._lib, name)(*args), name)

    @contextlib.contextmanager
    def _selected(self):
        """The package lock held with this board current (for exports without result code)."""
        with board_lock:
            check(self._lib.SET_BOARD(self.number | SELECT_ONLY), "SET_BOARD")
            yield

    def _direct(self, name: str, *args) -> int:
        """An export that names the board itself (no selection needed)."""
        with board_lock:
            return check(getattr(self._lib, name)(*args), name)

    def open(self) -> int:
        """Initialises the board with its mode; returns 0 or 120 (no camera answers, also
        warned)."""
        with board_lock:
            check(self._lib.SET_BOARD(self.number), "SET_BOARD")
            self.init_result = check(self._lib.SET_INIT(self.mode), "SET_INIT")
        return self.init_result

    def close(self) -> None:
        """Frees what the package allocated on the board and releases it (SET_INIT(0))."""
        with board_lock:
            self._free_all()
            self._invoke("SET_INIT", 0)

    def _free_all(self) -> None:
        """Hook of the families that allocate library memory."""

    def __enter__(self) -> "BoardCore":
        self.open()
        return self

    def __exit__(self, *exc) -> None:
        self.close()
