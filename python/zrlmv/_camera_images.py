"""Acquisition and pictures as numpy arrays: 12-bit as uint16 (height, width), 8-bit as uint8,
colour as uint8 (height, width, 3) in blue, green, red order (4 channels with mode bit 1)."""

from __future__ import annotations

import ctypes
import time
from typing import Optional

import numpy as np

from ._camera_core import board_lock
from ._camera_settings import CocSettings
from .camera_codes import NO_PICTURE

_U16 = ctypes.POINTER(ctypes.c_ushort)
_U8 = ctypes.POINTER(ctypes.c_ubyte)
COLOUR_FOUR_BYTES = 0x2


def checked_out(out: Optional[np.ndarray], shape: tuple[int, ...], dtype) -> np.ndarray:
    """out when it can be filled in place (shape, dtype, C order, writeable), else a new array."""
    if out is None:
        return np.empty(shape, dtype=dtype)
    if out.dtype != dtype or out.shape != shape or not out.flags.c_contiguous:
        raise ValueError(f"out must be a C-contiguous {np.dtype(dtype).name} array of shape "
                         f"{shape}, not {out.dtype.name} {out.shape}")
    if not out.flags.writeable:
        raise ValueError("out must be writeable")
    return out


def colour_channels(mode: int) -> int:
    return 4 if mode & COLOUR_FOUR_BYTES else 3


def u16(array: Optional[np.ndarray]):
    return None if array is None else array.ctypes.data_as(_U16)


def u8(array: np.ndarray):
    return array.ctypes.data_as(_U8)


class ImagesMixin:
    """Acquisition commands of Board. Every read waits at most the image time limit."""

    def run_coc(self, mode: int = 0) -> None:
        """Starts the camera: 0 continuous, 4 single picture."""
        self._invoke("RUN_COC", mode)

    def stop_coc(self, mode: int = 0) -> None:
        """Stops the camera: 0 stop and empty the board buffer, 1 stop."""
        self._invoke("STOP_COC", mode)

    def _shape(self, *extra: int) -> tuple[int, ...]:
        width, height = self.image_size()
        return (height, width, *extra)

    def read_into(self, out: np.ndarray, mode: int = 0) -> int:
        """Reads the board buffer into out (uint16 12-bit, or uint8 through the output table).
        Returns 0, or 100 when no picture came within the image time."""
        if out.dtype == np.uint16:
            name, pointer = "READ_IMAGE_12BIT", u16
        elif out.dtype == np.uint8:
            name, pointer = "READ_IMAGE_8BIT", u8
        else:
            raise ValueError(f"out must be uint16 or uint8, not {out.dtype.name}")
        with board_lock:  # the size and the read of one settings
            out = checked_out(out, self._shape(), out.dtype)
            height, width = out.shape
            return self._invoke(name, mode, width, height, pointer(out))

    def read_image(self, mode: int = 0, out: Optional[np.ndarray] = None) -> Optional[np.ndarray]:
        """One picture as a (height, width) uint16 array of 12-bit values, or None when no
        picture came (result 100). out: an array to fill in place (returned)."""
        with board_lock:
            out = checked_out(out, self._shape(), np.uint16)
            return out if self.read_into(out, mode) != NO_PICTURE else None

    def read_image_8bit(self, mode: int = 0,
                        out: Optional[np.ndarray] = None) -> Optional[np.ndarray]:
        """As read_image, converted through the board's output table into uint8."""
        with board_lock:
            out = checked_out(out, self._shape(), np.uint8)
            return out if self.read_into(out, mode) != NO_PICTURE else None

    def read_image_ext(self, sequence: np.ndarray, picnr: int, mode: int = 0) -> int:
        """Reads into slot picnr of a (pictures, height, width) uint16 sequence array; returns 0
        or 100 (no picture)."""
        if sequence.ndim != 3 or not 0 <= picnr < sequence.shape[0]:
            raise ValueError(f"picnr {picnr} outside a sequence of shape {sequence.shape}")
        checked_out(sequence, (sequence.shape[0], *self._shape()), np.uint16)
        _count, height, width = sequence.shape
        return self._invoke("READ_IMAGE_12BIT_EXT", mode, width, height, picnr, u16(sequence))

    def read_image_colour(self, mode: int = 0,
                          out: Optional[np.ndarray] = None) -> Optional[np.ndarray]:
        """A picture converted to colour: uint8 (height, width, 3) blue, green, red, or 4 bytes
        per pixel with mode bit 1 (see convert_to_colour for the modes); None without picture."""
        with board_lock:
            out = checked_out(out, self._shape(colour_channels(mode)), np.uint8)
            height, width = out.shape[:2]
            result = self._invoke("READ_IMAGE_COL", mode, width, height, u8(out))
        return out if result != NO_PICTURE else None

    def grab(self, exposure_ms: int, timeout: float = 10.0) -> np.ndarray:
        """One picture of the whole sensor with exposure_ms milliseconds of exposure."""
        _result, settings = self.test_coc(CocSettings(times=f"0,{int(exposure_ms)},-1,-1"))
        self.set_coc(settings)
        out = np.empty(self._shape(), dtype=np.uint16)
        deadline = time.monotonic() + timeout
        self.run_coc(0)
        try:
            while self.read_into(out) == NO_PICTURE:
                if time.monotonic() > deadline:
                    raise TimeoutError(f"no picture within {timeout} s")
        finally:
            self.stop_coc(0)
        return out

    # ---- automatic settings ------------------------------------------------------------------
    def auto_minmax(self, image: Optional[np.ndarray] = None, *, set_table: bool = False,
                    percent: Optional[tuple[int, int]] = None) -> tuple[int, int]:
        """(smallest, largest) pixel of image (a uint16 picture; None: the board takes one).
        percent=(low, high): levels past that share of pixels instead (AUTO_MINMAX_OFF).
        set_table: also sets the B/W table with the result."""
        low, high = ctypes.c_int(), ctypes.c_int()
        height, width = image.shape if image is not None else (0, 0)
        image = _contiguous_u16(image)
        refs = (ctypes.byref(low), ctypes.byref(high))
        if percent is None:
            self._invoke("AUTO_MINMAX", int(set_table), *refs, width, height, u16(image))
        else:
            self._invoke("AUTO_MINMAX_OFF", int(set_table), *refs, int(percent[0]),
                         int(percent[1]), width, height, u16(image))
        return low.value, high.value

    def auto_range(self, percent: int = 1, *, flags: int = 0,
                   picture: bool = False) -> tuple[int, int, Optional[np.ndarray]]:
        """Automatic exposure of a long-exposure camera: (result 0/100/101/102, exposure in ms,
        a picture taken with it when picture=True)."""
        exposure = ctypes.c_int()
        out = np.empty(self._shape(), dtype=np.uint16) if picture else None
        height, width = out.shape if out is not None else (0, 0)
        result = self._invoke("AUTO_RANGE", int(flags), ctypes.byref(exposure), int(percent),
                              width, height, u16(out))
        return result, exposure.value, out

    def auto_color(self, image: Optional[np.ndarray] = None) -> int:
        """White balance from image (uint16 picture; None: the board takes one): sets the colour
        tables; returns 0, or 100 when nothing changed."""
        height, width = image.shape if image is not None else (0, 0)
        image = _contiguous_u16(image)
        return self._invoke("AUTO_COLOR", width, height, u16(image))


def _contiguous_u16(image: Optional[np.ndarray]) -> Optional[np.ndarray]:
    if image is None:
        return None
    if image.ndim != 2:
        raise ValueError(f"image must be (height, width), not {image.shape}")
    return np.ascontiguousarray(image, dtype=np.uint16)
