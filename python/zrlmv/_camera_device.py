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

    def _allocated(self) -> dict[int, DeviceBuffer]:
        if not hasattr(self, "_device_buffers"):
            self._device_buffers: dict[int, DeviceBuffer] = {}
        return self._device_buffers

    def alloc_phys(self) -> DeviceBuffer:
        """Allocates and maps the board's next free device buffer (131072 bytes)."""
        number, status1, status0 = ctypes.c_int(), ctypes.c_int(), ctypes.c_int()
        address = ctypes.c_void_p()
        self._direct("ALLOC_PHYS", self.number, ctypes.byref(number), ctypes.byref(status1),
                     ctypes.byref(status0), ctypes.byref(address))
        buffer = DeviceBuffer(self, number.value, status1.value, status0.value, address.value)
        self.memory.add(KIND, number.value, buffer.memory)
        self._allocated()[number.value] = buffer
        return buffer

    def free_phys(self, buffer: DeviceBuffer) -> None:
        """Frees the buffer; its array is dropped first (safe to call twice)."""
        if self._allocated().pop(buffer.number, None) is None:
            return
        self.memory.release(KIND, buffer.number)
        self._direct("FREE_PHYS", self.number, buffer.number)

    def _free_device_buffers(self) -> None:
        for number in list(self._allocated()):
            self.memory.release(KIND, number)
            del self._allocated()[number]
            self._lib.FREE_PHYS(self.number, number)  # on the way out: nothing to report
