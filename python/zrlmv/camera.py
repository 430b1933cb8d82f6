"""Cameras: Pythonic access to liblmvntcam, pictures as numpy arrays.

The library acts on its current board; every Board method selects its board first, under one
lock of this package, so boards may be used from several threads. Calls run without the GIL, so
a blocking call (a read waiting for its picture) does not stop other Python threads.
"""

from __future__ import annotations

import ctypes
import threading
import time
import warnings
from dataclasses import dataclass
from typing import Optional

import numpy as np

from . import _raw
from .camera_codes import NO_CAMERA, NO_PICTURE, text

# Selecting with this bit leaves the board's loaded table alone.
_SELECT_ONLY = 0x100
_TIMES_SIZE = 20000

board_lock = threading.RLock()


class LmvError(Exception):
    """A camera library call returned a negative code."""

    def __init__(self, code: int, call: str = "") -> None:
        self.code = code
        self.text = text(code)
        where = f"{call}: " if call else ""
        super().__init__(f"{where}error {code}: {self.text}")


class LmvWarning(UserWarning):
    """The camera library answered with a warning (120: no camera answers)."""


def library(path: Optional[str] = None):
    """The raw layer (loaded once per process; path only counts at the first load)."""
    return _raw.camera(path)


def check(result: int, call: str = "") -> int:
    """Raises LmvError for a negative result; returns 0 and the warnings 100 and 120 as values
    (120 also as an LmvWarning)."""
    if result < 0:
        raise LmvError(result, call)
    if result == NO_CAMERA:
        warnings.warn(f"{call}: {text(result)}", LmvWarning, stacklevel=3)
    return result


@dataclass
class CocSettings:
    """Camera operation code settings; region in blocks of 32 pixels, 1-based, inclusive; times
    a comma-separated text ending "-1,-1" (ms for a long-exposure camera)."""
    mode: int = 0
    trig: int = 0
    roixmin: int = 1
    roixmax: int = 9999
    roiymin: int = 1
    roiymax: int = 9999
    hbin: int = 1
    vbin: int = 1
    times: str = "0,10,-1,-1"


class Board:
    """One camera board. Use as a context manager: SET_INIT(mode) on entry, SET_INIT(0) on exit."""

    def __init__(self, number: int = 0, mode: int = 1) -> None:
        self._lib = library()
        self.number = number
        self.mode = mode
        self.init_result: Optional[int] = None

    def _invoke(self, name: str, *args) -> int:
        """Selects this board and calls the export; checks the result."""
        with board_lock:
            check(self._lib.SET_BOARD(self.number | _SELECT_ONLY), "SET_BOARD")
            return check(getattr(self._lib, name)(*args), name)

    # ---- set-up ---------------------------------------------------------------------------------
    def open(self) -> int:
        """Initialises the board; returns 0 or 120 (no camera answers, also warned)."""
        with board_lock:
            check(self._lib.SET_BOARD(self.number), "SET_BOARD")
            self.init_result = check(self._lib.SET_INIT(self.mode), "SET_INIT")
        return self.init_result

    def close(self) -> None:
        """Releases the board (SET_INIT(0))."""
        self._invoke("SET_INIT", 0)

    def __enter__(self) -> "Board":
        self.open()
        return self

    def __exit__(self, *exc) -> None:
        self.close()

    # ---- settings -------------------------------------------------------------------------------
    def test_coc(self, settings: CocSettings) -> tuple[int, CocSettings]:
        """Fits the settings to the camera: (0 unchanged or 103 adjusted, the fitted settings)."""
        ints = [ctypes.c_int(v) for v in (settings.mode, settings.trig, settings.roixmin,
                                           settings.roixmax, settings.roiymin, settings.roiymax,
                                           settings.hbin, settings.vbin)]
        times = ctypes.create_string_buffer(settings.times.encode(), _TIMES_SIZE)
        length = ctypes.c_int(_TIMES_SIZE)
        result = self._invoke("TEST_COC", *(ctypes.byref(i) for i in ints), times,
                              ctypes.byref(length))
        fitted = CocSettings(*(i.value for i in ints), times.value.decode())
        return result, fitted

    def set_coc(self, settings: CocSettings) -> None:
        """Builds the table of the settings and loads it into the board."""
        s = settings
        self._invoke("SET_COC", s.mode, s.trig, s.roixmin, s.roixmax, s.roiymin, s.roiymax,
                     s.hbin, s.vbin, s.times.encode())

    def get_settings(self) -> CocSettings:
        ints = [ctypes.c_int() for _ in range(8)]
        times = ctypes.create_string_buffer(_TIMES_SIZE)
        self._invoke("GET_SETTINGS", *(ctypes.byref(i) for i in ints), times)
        # the regenerated text ends in a line feed
        return CocSettings(*(i.value for i in ints), times.value.decode().rstrip())

    def image_size(self) -> tuple[int, int]:
        """(width, height) in pixels of the loaded settings."""
        width, height = ctypes.c_int(), ctypes.c_int()
        self._invoke("GET_IMAGE_SIZE", ctypes.byref(width), ctypes.byref(height))
        return width.value, height.value

    def status(self) -> tuple[int, int, int]:
        """(camera status word, electronics temperature, CCD temperature in degrees C)."""
        values = [ctypes.c_int() for _ in range(3)]
        self._invoke("GET_STATUS", *(ctypes.byref(v) for v in values))
        return values[0].value, values[1].value, values[2].value

    # ---- acquisition ----------------------------------------------------------------------------
    def run_coc(self, mode: int = 0) -> None:
        """Starts the camera: 0 continuous, 4 single picture."""
        self._invoke("RUN_COC", mode)

    def stop_coc(self, mode: int = 0) -> None:
        self._invoke("STOP_COC", mode)

    def _image_array(self, out: Optional[np.ndarray], dtype) -> np.ndarray:
        width, height = self.image_size()
        if out is None:
            return np.empty((height, width), dtype=dtype)
        if out.dtype != dtype or out.shape != (height, width) or not out.flags.c_contiguous:
            raise ValueError(f"out must be a C-contiguous {np.dtype(dtype).name} array of shape "
                             f"{(height, width)}, not {out.dtype.name} {out.shape}")
        if not out.flags.writeable:
            raise ValueError("out must be writeable")
        return out

    def read_into(self, out: np.ndarray, mode: int = 0) -> int:
        """Reads the board buffer into out (uint16 12-bit, or uint8 through the output table).
        Returns 0, or 100 when no picture came within the image time."""
        if out.dtype == np.uint16:
            name, ctype = "READ_IMAGE_12BIT", ctypes.c_ushort
        elif out.dtype == np.uint8:
            name, ctype = "READ_IMAGE_8BIT", ctypes.c_ubyte
        else:
            raise ValueError(f"out must be uint16 or uint8, not {out.dtype.name}")
        out = self._image_array(out, out.dtype)
        height, width = out.shape
        return self._invoke(name, mode, width, height, out.ctypes.data_as(ctypes.POINTER(ctype)))

    def read_image(self, mode: int = 0, out: Optional[np.ndarray] = None) -> Optional[np.ndarray]:
        """One picture as a (height, width) uint16 array of 12-bit values, or None when no
        picture came (result 100). out: an array to fill in place (returned)."""
        out = self._image_array(out, np.uint16)
        return out if self.read_into(out, mode) != NO_PICTURE else None

    def read_image_8bit(self, mode: int = 0,
                        out: Optional[np.ndarray] = None) -> Optional[np.ndarray]:
        """As read_image, converted through the board's output table into uint8."""
        out = self._image_array(out, np.uint8)
        return out if self.read_into(out, mode) != NO_PICTURE else None

    def grab(self, exposure_ms: int, timeout: float = 10.0) -> np.ndarray:
        """One picture of the whole sensor with exposure_ms milliseconds of exposure."""
        _result, settings = self.test_coc(CocSettings(times=f"0,{int(exposure_ms)},-1,-1"))
        self.set_coc(settings)
        out = self._image_array(None, np.uint16)
        deadline = time.monotonic() + timeout
        self.run_coc(0)
        try:
            while self.read_into(out) == NO_PICTURE:
                if time.monotonic() > deadline:
                    raise TimeoutError(f"no picture within {timeout} s")
        finally:
            self.stop_coc(0)
        return out
