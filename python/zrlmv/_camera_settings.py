"""Camera operation code (COC) settings: test, load, read back, caller-built tables."""

from __future__ import annotations

import ctypes
from dataclasses import astuple, dataclass

import numpy as np

_TIMES_SIZE = 20000
_INTS = 8
_END_BITS = 0x0F00
_TIMES = {"coc": "GET_COCTIME", "bel": "GET_BELTIME", "exp": "GET_EXPTIME", "del": "GET_DELTIME"}


@dataclass
class CocSettings:
    """COC settings. mode: camera class in the low byte; trig: trigger mode; region in blocks
    of 32 pixels, 1-based, inclusive; hbin/vbin binning; times a comma-separated text ending
    "-1,-1" (ms for a long-exposure camera, ns for the fast shutter)."""
    mode: int = 0
    trig: int = 0
    roixmin: int = 1
    roixmax: int = 9999
    roiymin: int = 1
    roiymax: int = 9999
    hbin: int = 1
    vbin: int = 1
    times: str = "0,10,-1,-1"

    def numbers(self) -> tuple[int, ...]:
        return astuple(self)[:_INTS]


def _int_refs(values=(0,) * _INTS):
    ints = [ctypes.c_int(v) for v in values]
    return ints, [ctypes.byref(i) for i in ints]


class SettingsMixin:
    """COC commands of Board."""

    def test_coc(self, settings: CocSettings, *, alias: bool = False) -> tuple[int, CocSettings]:
        """Fits the settings to the camera: (0 unchanged or 103 adjusted, the fitted settings).
        alias: call the second name TESTCOC (the same function)."""
        ints, refs = _int_refs(settings.numbers())
        times = ctypes.create_string_buffer(settings.times.encode(), _TIMES_SIZE)
        length = ctypes.c_int(_TIMES_SIZE)
        result = self._invoke("TESTCOC" if alias else "TEST_COC", *refs, times,
                              ctypes.byref(length))
        return result, CocSettings(*(i.value for i in ints), times.value.decode())

    def set_coc(self, settings: CocSettings) -> None:
        """Builds the table of the settings and loads it into the board."""
        self._invoke("SET_COC", *settings.numbers(), settings.times.encode())

    def get_settings(self) -> CocSettings:
        """The stored settings (GET_SETTINGS, a 20000-byte text buffer)."""
        ints, refs = _int_refs()
        times = ctypes.create_string_buffer(_TIMES_SIZE)
        self._invoke("GET_SETTINGS", *refs, times)
        # the regenerated text ends in a line feed
        return CocSettings(*(i.value for i in ints), times.value.decode().rstrip())

    def get_coc_setting(self, size: int = 1024) -> CocSettings:
        """The stored settings through GET_COC_SETTING with a text buffer of size bytes
        (LmvError -23 when the text does not fit)."""
        ints, refs = _int_refs()
        times = ctypes.create_string_buffer(max(size, 1))
        self._invoke("GET_COC_SETTING", *refs, times, size)
        return CocSettings(*(i.value for i in ints), times.value.decode().rstrip())

    def image_size(self) -> tuple[int, int]:
        """(width, height) in pixels of the loaded settings."""
        width, height = ctypes.c_int(), ctypes.c_int()
        self._invoke("GET_IMAGE_SIZE", ctypes.byref(width), ctypes.byref(height))
        return width.value, height.value

    def ccd_size(self, *, alias: bool = False) -> int:
        """Sensor pixels (width x height); alias: through GET_CCD_SIZE."""
        size = ctypes.c_int()
        self._invoke("GET_CCD_SIZE" if alias else "GET_CCDSIZE", ctypes.byref(size))
        return size.value

    def coc_times(self) -> dict[str, float]:
        """Times of the last table build (ms for a long-exposure camera): coc, bel, exp, del."""
        with self._selected():
            return {what: getattr(self._lib, name)() for what, name in _TIMES.items()}

    def load_user_coc(self, table: np.ndarray) -> None:
        """Loads a caller-built table of 16-bit words, up to and including its end word (the
        first word with bits 8-11 all set). ValueError for a table without one: the library
        would look for it past the end of the array."""
        table = np.ascontiguousarray(table, dtype=np.uint16)
        if table.ndim != 1:
            raise ValueError(f"the table must be one-dimensional, not {table.shape}")
        if not ((table & _END_BITS) == _END_BITS).any():
            raise ValueError("the table has no end word (bits 8-11 all set)")
        self._invoke("LOAD_USER_COC", table.ctypes.data_as(ctypes.POINTER(ctypes.c_ushort)))

    def load_user_aoi(self, x: int, y: int) -> None:
        """Writes the area-of-interest words (pixels, multiples of 32) to the camera."""
        self._invoke("LOAD_USER_AOI", int(x), int(y))

    def set_powerdown(self, hi_time: int, lo_time: int) -> None:
        """Power-down counts from two times (upper, lower; lower below upper)."""
        self._invoke("SET_POWERDOWN", int(hi_time), int(lo_time))

    def set_toram_wait(self, wait: int) -> int:
        """Wait of the intensified camera (at least 200); returns the value in force."""
        return self._invoke("SET_TORAM_WAIT", int(wait))
