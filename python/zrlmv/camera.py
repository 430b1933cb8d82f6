"""Cameras: Pythonic access to liblmvntcam, pictures as numpy arrays.

The library acts on its current board; every Board method selects its board first, under one
lock of this package, so boards may be used from several threads. Calls run without the GIL, so
a blocking call (a read waiting for its picture) does not stop other Python threads.

Times are in milliseconds (exposure of a long-exposure camera, time limits) unless a method says
otherwise; temperatures in degrees C; pictures are uint16 (height, width) of 12-bit values, uint8
through the output table, or uint8 (height, width, 3) colour in blue, green, red order.

Arrays over library memory (device buffers; recorder buffers) are LibraryMemory objects: their
.array is valid until the library frees the memory, and the package drops it when it frees.
"""

from __future__ import annotations

import ctypes
from typing import Optional

from ._camera_core import (BoardCore, LmvError, LmvWarning, board_lock, call, check,  # noqa: F401
                           library)
from ._camera_device import DeviceBuffer, DeviceBufferMixin
from ._camera_dialogs import DialogsMixin, LutDialog, LutDialogsMixin
from ._camera_events import DmaTransfer, EventFd, EventsMixin
from ._camera_images import ImagesMixin
from ._camera_info import InfoMixin
from ._camera_memory import LibraryMemory, MemoryViews
from ._camera_recorder import (ONCE, RING, DmaCounters, RecorderMixin, alloc_recorder,
                               free_recorder, stop_dma)
from ._camera_settings import CocSettings, SettingsMixin
from ._camera_tables import (ColourTable, TablesMixin, bgr_to_rgb, convert_to_8bit,
                             convert_to_colour)
from .camera_codes import NO_CAMERA, NO_PICTURE

# The ClientMessage type a LUT dialog opened with notify=True sends its parent window.
LUT_UPDATE_ATOM = "LMVNTCAM_LUT_UPDATE"

__all__ = ["Board", "CocSettings", "ColourTable", "DeviceBuffer", "DmaCounters", "DmaTransfer",
           "EventFd", "LUT_UPDATE_ATOM", "LutDialog", "LibraryMemory", "LmvError", "LmvWarning",
           "MemoryViews", "NO_CAMERA", "NO_PICTURE", "ONCE", "RING", "alloc_recorder",
           "bgr_to_rgb", "board_lock", "check", "convert_to_8bit", "convert_to_colour",
           "current_board", "enable_error_messages", "enable_message_log", "free_recorder",
           "library", "palette", "stop_dma"]


class Board(BoardCore, SettingsMixin, InfoMixin, ImagesMixin, TablesMixin, EventsMixin,
            DeviceBufferMixin, DialogsMixin, LutDialogsMixin, RecorderMixin):
    """One camera board. Use as a context manager: SET_INIT(mode) on entry, SET_INIT(0) on exit
    (device buffers the package allocated are freed first, its recorder arrays dropped)."""

    def _free_all(self) -> None:
        self._end_events()
        self._free_device_buffers()
        self._free_recorder_views()


def current_board() -> int:
    """The library's current board number."""
    board = ctypes.c_int()
    call("GET_BOARD", ctypes.byref(board))
    return board.value


def enable_error_messages(on: bool) -> int:
    """On: failures also raise message boxes (standard error without a display); returns the
    box result (1). Off: 0."""
    return call("ENABLE_ERROR_MESSAGES", int(on))


def enable_message_log(level: int, filename: Optional[str] = None) -> None:
    """level > 0 opens the log file (new; "lmvlog.txt" in the current folder for None) with the
    level bits (1 errors, 2 initialisation, 4 recorder and device buffers, 8 function entries,
    16 COC, 0x1000 board and time); level <= 0 closes it."""
    call("ENABLE_MESSAGE_LOG", int(level), filename.encode() if filename else None)


def palette() -> Optional[int]:
    """The display palette handle; None on Linux (screens are not palette-based)."""
    handle = ctypes.c_void_p()
    with board_lock:
        library().GET_PALETTE(ctypes.byref(handle))
    return handle.value
