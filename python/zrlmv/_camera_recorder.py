"""The recorder: one process-wide arena, each board's 16-bit buffers cut from it, and recordings
into them (once, as a ring, averaged) or single background transfers.

RUN_DMA blocks its caller until the recording ends. The package holds its lock only until the
library has taken the board for the recording, so other threads can follow the recording
(dma_status, dma_counters) and stop it while it runs.
"""

from __future__ import annotations

import ctypes
import threading
import time
from typing import NamedTuple, Optional

import numpy as np

from . import _camera_memory
from ._camera_core import board_lock, call, check, library
from ._camera_memory import LibraryMemory

KIND = "recorder"
ONCE = 0  # recording modes: fill the buffers once,
RING = 1  # or as a ring until stopped

# GET_IMAGE_STATUS bit 0: a read or recorder transfer is in progress.
_TRANSFER_IN_PROGRESS = 0x1


class DmaCounters(NamedTuple):
    """Counters of a board's current or last recording."""
    frames: int   # pictures stored
    wraps: int    # times the ring started again at its first buffer
    dropped: int  # pictures lost by clearing the board buffer
    errors: int   # failed transfers


def alloc_recorder(size: int, count: int = 0) -> int:
    """Sets aside the process's arena for count pictures of size pixels (0: as many as fit in
    95 % of the available memory); returns how many fit. Replaces an older arena, whose buffers
    (and the package's arrays over them) are gone on every board."""
    n = ctypes.c_int(count)
    with board_lock:
        _camera_memory.release_everywhere(KIND)
        call("ALLOC_RECORDER", ctypes.byref(n), int(size))
    return n.value


def free_recorder() -> None:
    """Frees the arena and every board's buffers (LmvError -28 while a board records)."""
    with board_lock:
        # The arrays go first: the arena is the whole process's.
        _camera_memory.release_everywhere(KIND)
        call("FREE_RECORDER")


def stop_dma() -> None:
    """Asks the current board's recording to stop. Takes no lock, so it may be called whatever
    another thread holds; Board.stop_dma selects its board first."""
    library().STOP_DMA()


class RecorderMixin:
    """The recorder exports of Board."""

    def set_buffer_size(self, count: int, width: int, height: int) -> int:
        """Cuts count buffers of width x height from the arena; returns how many fit (0 when
        none does). Arrays over this board's earlier buffers are dropped."""
        n = ctypes.c_int(count)
        with board_lock:
            self.memory.release(KIND)
            self._invoke("SET_BUFFER_SIZE", ctypes.byref(n), int(width), int(height))
        return n.value

    def buffer(self, picnr: int) -> LibraryMemory:
        """Buffer picnr (1-based) as a LibraryMemory: .array is uint16 (height, width) over the
        library's memory, valid until the package frees or re-cuts the buffers."""
        address, width, height = ctypes.c_void_p(), ctypes.c_int(), ctypes.c_int()
        with board_lock:
            self._invoke("GET_BUFFER_ADDR", int(picnr), ctypes.byref(address),
                         ctypes.byref(width), ctypes.byref(height))
            known = self.memory.get(KIND, picnr)
            if known is not None and known.address == address.value:
                return known
            return self.memory.add(KIND, picnr, LibraryMemory(
                address.value, (height.value, width.value), np.uint16,
                f"recorder buffer {picnr} of board {self.number}"))

    def run_dma(self, first: int, last: int, mode: int = ONCE, avg: Optional[int] = None,
                started: Optional[threading.Event] = None) -> int:
        """Records into buffers first to last (ONCE, or RING until stop_dma); with avg, each
        buffer gets the average of avg pictures. Blocks until the recording ends; returns its
        last transfer's result (LmvError for a negative one). started, when given, is set once
        the recording runs (its counters are then this recording's)."""
        name, args = ("RUN_DMA", (first, last, mode)) if avg is None else \
            ("RUN_DMA_AVG", (first, last, mode, avg))
        result: list[int] = []
        recording = threading.Thread(target=lambda: result.append(getattr(self._lib, name)(*args)),
                                     name=f"{name} board {self.number}", daemon=True)
        with self._selected():
            recording.start()
            if self._wait_until_taken(recording) and started is not None:
                started.set()
        recording.join()
        return check(result[0], name)

    def _wait_until_taken(self, recording: threading.Thread) -> bool:
        # Bounded by the library: it either marks the board as recording or returns at once.
        status = ctypes.c_int()
        while recording.is_alive():
            status.value = 0
            if self._lib.GET_IMAGE_STATUS(ctypes.byref(status)) == 0 and \
                    status.value & _TRANSFER_IN_PROGRESS:
                return True
            time.sleep(0.0005)
        return False

    def stop_dma(self) -> None:
        """Asks this board's recording to stop; run_dma returns soon after."""
        self._invoke("STOP_DMA")

    def dma_status(self) -> int:
        """The buffer being filled (1-based)."""
        status = ctypes.c_int()
        self._invoke("GET_DMA_STATUS", ctypes.byref(status))
        return status.value

    def dma_counters(self) -> DmaCounters:
        values = [ctypes.c_uint() for _ in range(4)]
        self._invoke("GET_DMA_COUNTERS", *(ctypes.byref(v) for v in values))
        return DmaCounters(*(v.value for v in values))

    def dma_start_single(self, picnr: int) -> int:
        """Starts reading one picture into buffer picnr in the background: 0, or 100 (no
        picture)."""
        return self._invoke("DMA_START_SINGLE", int(picnr))

    def dma_done(self) -> int:
        """The single transfer's state: picnr while it runs, 0 when the picture is in."""
        status = ctypes.c_int()
        self._invoke("DMA_DONE", ctypes.byref(status))
        return status.value

    def wait_single(self, timeout: float = 10.0) -> bool:
        """Waits up to timeout seconds for the single transfer; False when it still runs."""
        deadline = time.monotonic() + timeout
        while self.dma_done() != 0:
            if time.monotonic() > deadline:
                return False
            time.sleep(0.001)
        return True

    def _free_recorder_views(self) -> None:
        self.memory.release(KIND)
