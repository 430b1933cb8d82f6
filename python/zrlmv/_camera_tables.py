"""Output tables: B/W (4096 entries of 8 bits per 12-bit value), colour (three of those),
pseudo colour (three of 256 entries), their parameters, and the conversions through them."""

from __future__ import annotations

import ctypes
from dataclasses import dataclass
from typing import Optional

import numpy as np

from ._camera_core import call
from ._camera_images import checked_out, colour_channels, u8, u16

BW_ENTRIES = 4096
PSEUDO_ENTRIES = 256


@dataclass
class ColourTable:
    """Parameters of the colour tables: min 0..4094 and max above it per channel; gamma or
    linear."""
    red_min: int = 0
    red_max: int = 4095
    green_min: int = 0
    green_max: int = 4095
    blue_min: int = 0
    blue_max: int = 4095
    gamma: bool = False


def _table(values, entries: int, what: str) -> np.ndarray:
    table = np.ascontiguousarray(values, dtype=np.uint8)
    if table.shape != (entries,):
        raise ValueError(f"{what} must have {entries} entries, not shape {table.shape}")
    return table


class TablesMixin:
    """Output table commands of Board (the tables are kept by the library)."""

    def load_output_lut(self, table) -> None:
        """B/W output table: 4096 uint8 values, one per 12-bit pixel value."""
        self._invoke("LOAD_OUTPUT_LUT", u8(_table(table, BW_ENTRIES, "the output table")))

    def set_bw_table(self, low: int, high: int, gamma: bool = False) -> None:
        """Builds and loads the B/W table from low (0..4094) to high (above low, up to 4095)."""
        self._invoke("SET_DIALOG_BW", int(low), int(high), int(gamma))

    def bw_table(self) -> tuple[int, int, bool]:
        """(low, high, gamma) of the B/W table."""
        values = [ctypes.c_int() for _ in range(3)]
        self._invoke("GET_DIALOG_BW", *(ctypes.byref(v) for v in values))
        return values[0].value, values[1].value, bool(values[2].value)

    def load_color_lut(self, red, green, blue) -> None:
        """Colour output tables: three arrays of 4096 uint8 values."""
        tables = [_table(t, BW_ENTRIES, "a colour table") for t in (red, green, blue)]
        self._invoke("LOAD_COLOR_LUT", *(u8(t) for t in tables))

    def load_pseudo_color_lut(self, red, green, blue) -> None:
        """Pseudo-colour tables: three arrays of 256 uint8 values, indexed by the B/W output."""
        tables = [_table(t, PSEUDO_ENTRIES, "a pseudo-colour table") for t in (red, green, blue)]
        self._invoke("LOAD_PSEUDO_COLOR_LUT", *(u8(t) for t in tables))

    def set_colour_table(self, table: ColourTable) -> None:
        """Builds and loads the three colour tables from their parameters."""
        t = table
        self._invoke("SET_DIALOG_COL", t.red_min, t.red_max, t.green_min, t.green_max,
                     t.blue_min, t.blue_max, int(t.gamma))

    def colour_table(self) -> ColourTable:
        """Parameters of the colour tables."""
        values = [ctypes.c_int() for _ in range(7)]
        self._invoke("GET_DIALOG_COL", *(ctypes.byref(v) for v in values))
        numbers = [v.value for v in values]
        return ColourTable(*numbers[:6], gamma=bool(numbers[6]))


def convert_to_8bit(picture: np.ndarray, mode: int = 0,
                    out: Optional[np.ndarray] = None) -> np.ndarray:
    """Converts a (height, width) 12-bit picture through the B/W output table into uint8.
    mode 0 keeps the order, 1 flips vertically, 8 mirrors each row, 9 rotates by 180 degrees."""
    source = _picture(picture)
    out = checked_out(out, source.shape, np.uint8)
    height, width = source.shape
    call("CONVERT_BUFFER_12TO8", mode, width, height,
         source.ctypes.data_as(ctypes.POINTER(ctypes.c_short)), u8(out))
    return out


def convert_to_colour(picture: np.ndarray, mode: int = 0,
                      out: Optional[np.ndarray] = None) -> np.ndarray:
    """Converts a (height, width) 12-bit picture to uint8 (height, width, 3) blue, green, red.
    mode bit 0 rows bottom-up, bit 1 four bytes per pixel, bit 3 mirrored rows; bits 4-5 the
    method: 0 bilinear from the colour mosaic, 1 pseudo colour, 2 nearest samples."""
    source = _picture(picture)
    out = checked_out(out, (*source.shape, colour_channels(mode)), np.uint8)
    height, width = source.shape
    call("CONVERT_BUFFER_12TOCOL", mode, width, height, u16(source), u8(out))
    return out


def bgr_to_rgb(colour: np.ndarray) -> np.ndarray:
    """A red, green, blue view (no copy) of a colour picture in the library's order."""
    return colour[..., 2::-1]


def _picture(picture: np.ndarray) -> np.ndarray:
    if picture.ndim != 2:
        raise ValueError(f"picture must be (height, width), not {picture.shape}")
    return np.ascontiguousarray(picture, dtype=np.uint16)
