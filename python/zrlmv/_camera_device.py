"""Device buffers (131072 bytes of library memory mapped for the board)."""

from __future__ import annotations

import ctypes

import numpy as np

from ._camera_memory import LibraryMemory

DEVICE_BUFFER_BYTES = 131072
KIND = "device buffer"


class DeviceBuffer:
    """A device buffer: number, the status words and .memory (a LibraryMemory of uint8)."""

    def __init__(self, board, number: int, status1: int, status0: int, address: int) -> None:
        self.board = board
        self.number = number
        self.status = (status1, status0)
        self.memory = LibraryMemory(address, (DEVICE_BUFFER_BYTES,), np.uint8,
                                    f"device buffer {number} of board {board.number}")

    @property
    def array(self) -> np.ndarray:
        """The buffer's bytes; refused once freed."""
        return self.memory.array

    def free(self) -> None:
        self.board.free_phys(self)


class DeviceBufferMixin:
    """ALLOC_PHYS / FREE_PHYS of Board; the package's views are dropped when it frees."""

    def alloc_phys(self) -> DeviceBuffer:
        number, status1, status0 = ctypes.c_int(), ctypes.c_int(), ctypes.c_int()
        address = ctypes.c_void_p()
        self._direct("ALLOC_PHYS", self.number, ctypes.byref(number), ctypes.byref(status1),
                     ctypes.byref(status0), ctypes.byref(address))
        buffer = DeviceBuffer(self, number.value, status1.value, status0.value, address.value)
        self.memory.add(KIND, number.value, buffer.memory)
        return buffer

    def free_phys(self, buffer: DeviceBuffer) -> None:
        """Frees the buffer; its array is dropped first (safe to call twice)."""
        if buffer.number not in self.memory.keys(KIND):
            return
        self.memory.release(KIND, buffer.number)
        self._direct("FREE_PHYS", self.number, buffer.number)

    def _free_device_buffers(self) -> None:
        for number in self.memory.keys(KIND):
            self.memory.release(KIND, number)
            self._lib.FREE_PHYS(self.number, number)  # on the way out: nothing to report
