"""Event handles for the exports that signal the caller: eventfd descriptors (os.eventfd)."""

from __future__ import annotations

import os
import select
from typing import Optional

import numpy as np

from ._camera_images import checked_out
from .camera_codes import NO_PICTURE


class EventFd:
    """An eventfd descriptor the library signals by writing to it. Context manager; closes."""

    def __init__(self) -> None:
        self.fd: int = os.eventfd(0, os.EFD_CLOEXEC | os.EFD_NONBLOCK)

    def fileno(self) -> int:
        return self.fd

    def wait(self, timeout: float) -> bool:
        """Waits up to timeout seconds for a signal and consumes it; False on time-out."""
        poller = select.poll()
        poller.register(self.fd, select.POLLIN)
        if not poller.poll(max(0, int(timeout * 1000))):
            return False
        self.clear()
        return True

    def is_set(self) -> bool:
        """Whether a signal waits (it is not consumed)."""
        return bool(select.select([self.fd], [], [], 0)[0])

    def clear(self) -> None:
        try:
            os.eventfd_read(self.fd)
        except BlockingIOError:
            pass

    def close(self) -> None:
        if self.fd >= 0:
            os.close(self.fd)
            self.fd = -1

    def __enter__(self) -> "EventFd":
        return self

    def __exit__(self, *exc) -> None:
        self.close()


class DmaTransfer:
    """A transfer started by Board.dma_image_start: its array is filled when event fires."""

    def __init__(self, array: np.ndarray, event: EventFd) -> None:
        self.array = array
        self.event = event

    def wait(self, timeout: float = 10.0) -> np.ndarray:
        """The filled array; TimeoutError when the event does not fire within timeout s (a failed
        transfer signals nothing)."""
        if not self.event.wait(timeout):
            raise TimeoutError(f"transfer not done within {timeout} s")
        return self.array


class EventsMixin:
    """Commands of Board that signal an eventfd."""

    _transfer: Optional[DmaTransfer] = None

    def begin_wait_image(self, event: EventFd) -> None:
        """Registers event: it is signalled when a picture lands in the board buffer."""
        self._direct("BEGIN_WAIT_IMAGE", self.number, event.fileno())

    def end_wait_image(self) -> None:
        """Unregisters the board's picture event."""
        self._direct("END_WAIT_IMAGE", self.number)

    def dma_image_start(self, event: EventFd, submode: int = 0,
                        out: Optional[np.ndarray] = None) -> Optional[DmaTransfer]:
        """Starts moving the waiting picture into out (uint16 (height, width)) and returns at
        once; None when no picture waits (100). The package keeps out alive until the next
        transfer of this board, since the library writes into it after the call returned."""
        out = checked_out(out, self._shape(), np.uint16)
        height, width = out.shape
        result = self._direct("DMA_IMAGE_START", self.number | (submode << 8), width, height,
                              out.ctypes.data, event.fileno())
        if result == NO_PICTURE:
            return None
        self._transfer = DmaTransfer(out, event)
        return self._transfer
