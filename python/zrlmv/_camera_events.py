"""Event handles for the exports that signal the caller: eventfd descriptors (os.eventfd)."""

from __future__ import annotations

import os
import select
import threading
from typing import Optional

import numpy as np

from ._camera_images import checked_out
from .camera_codes import NO_PICTURE


class EventFd:
    """An eventfd descriptor the library signals by writing to it. Context manager; closes.

    While the library may still write to it (registered with begin_wait_image, or a transfer not
    yet signalled), close() only marks it closed and the descriptor is closed once the library is
    done with it, so the library never writes into a descriptor number reused for a file."""

    def __init__(self) -> None:
        self.fd: int = os.eventfd(0, os.EFD_CLOEXEC | os.EFD_NONBLOCK)
        self._users = 0
        self._closing = False
        self._lock = threading.Lock()

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
        with self._lock:
            self._closing = True
            if self._users == 0 and self.fd >= 0:
                os.close(self.fd)
                self.fd = -1

    @property
    def closed(self) -> bool:
        return self._closing

    def _acquire(self) -> int:
        with self._lock:
            if self._closing:
                raise ValueError("the event is closed")
            self._users += 1
            return self.fd

    def _release(self) -> None:
        with self._lock:
            self._users -= 1
        if self._closing:
            self.close()

    def __enter__(self) -> "EventFd":
        return self

    def __exit__(self, *exc) -> None:
        self.close()


class DmaTransfer:
    """A transfer started by Board.dma_image_start: its array is filled when event fires."""

    def __init__(self, array: np.ndarray, event: EventFd) -> None:
        self.array = array
        self.event = event
        self.done = False

    def wait(self, timeout: float = 10.0) -> np.ndarray:
        """The filled array; TimeoutError when the event does not fire within timeout s (a failed
        transfer signals nothing)."""
        if not self.done:
            if not self.event.wait(timeout):
                raise TimeoutError(f"transfer not done within {timeout} s")
            self.done = True
            self.event._release()
        return self.array


class EventsMixin:
    """Commands of Board that signal an eventfd."""

    _transfer: Optional[DmaTransfer] = None
    _wait_event: Optional[EventFd] = None

    def begin_wait_image(self, event: EventFd) -> None:
        """Registers event: it is signalled when a picture lands in the board buffer (until
        end_wait_image or closing the board)."""
        fd = event._acquire()
        try:
            self._direct("BEGIN_WAIT_IMAGE", self.number, fd)
        except BaseException:
            event._release()
            raise
        self._drop_wait_event()
        self._wait_event = event

    def end_wait_image(self) -> None:
        """Unregisters the board's picture event."""
        self._direct("END_WAIT_IMAGE", self.number)
        self._drop_wait_event()

    def _drop_wait_event(self) -> None:
        event, self._wait_event = self._wait_event, None
        if event is not None:
            event._release()

    def _end_events(self) -> None:
        """On closing the board: no event stays registered with it."""
        if self._wait_event is not None:
            self._lib.END_WAIT_IMAGE(self.number)  # on the way out: nothing to report
            self._drop_wait_event()

    def dma_image_start(self, event: EventFd, submode: int = 0,
                        out: Optional[np.ndarray] = None) -> Optional[DmaTransfer]:
        """Starts moving the waiting picture into out (uint16 (height, width)) and returns at
        once; None when no picture waits (100). The package keeps out alive until the next
        transfer of this board, since the library writes into it after the call returned."""
        out = checked_out(out, self._shape(), np.uint16)
        height, width = out.shape
        fd = event._acquire()
        try:
            result = self._direct("DMA_IMAGE_START", self.number | (submode << 8), width, height,
                                  out.ctypes.data, fd)
        except BaseException:
            event._release()
            raise
        if result == NO_PICTURE:
            event._release()
            return None
        self._transfer = DmaTransfer(out, event)
        return self._transfer
