"""Arrays over memory the camera library owns (device buffers, recorder buffers).

Such an array is valid only until the library frees the memory. The package hands it out through
a LibraryMemory object, whose .array is refused once the package has freed the memory; arrays
taken from it before (and slices of them) must not be used after that.
"""

from __future__ import annotations

import ctypes
import threading
import weakref
from typing import Optional

import numpy as np


class LibraryMemory:
    """A numpy view of library memory, valid until released."""

    def __init__(self, address: int, shape: tuple[int, ...], dtype, what: str) -> None:
        self.what = what
        count = int(np.prod(shape)) * np.dtype(dtype).itemsize
        raw = (ctypes.c_ubyte * count).from_address(address)
        self._array: Optional[np.ndarray] = np.frombuffer(raw, dtype=dtype).reshape(shape)
        self.address = address

    @property
    def array(self) -> np.ndarray:
        """The view; ValueError once the library has freed the memory."""
        if self._array is None:
            raise ValueError(f"{self.what} was freed; its array is gone")
        return self._array

    @property
    def valid(self) -> bool:
        return self._array is not None

    def release(self) -> None:
        self._array = None


_every = weakref.WeakSet()


def release_everywhere(kind: str) -> None:
    """Drops the views of a kind on every board: for memory the library frees for the whole
    process at once (the recorder arena)."""
    for views in list(_every):
        views.release(kind)


class MemoryViews:
    """The LibraryMemory objects of one board, by kind ("device buffer", "recorder")."""

    def __init__(self) -> None:
        self._lock = threading.Lock()
        self._by_kind: dict[str, dict[object, LibraryMemory]] = {}
        _every.add(self)

    def add(self, kind: str, key: object, memory: LibraryMemory) -> LibraryMemory:
        with self._lock:
            self._by_kind.setdefault(kind, {})[key] = memory
        return memory

    def get(self, kind: str, key: object) -> Optional[LibraryMemory]:
        with self._lock:
            return self._by_kind.get(kind, {}).get(key)

    def keys(self, kind: str) -> list:
        with self._lock:
            return list(self._by_kind.get(kind, {}))

    def release(self, kind: str, key: object = None) -> None:
        """Drops one view (key) or every view of a kind (key None)."""
        with self._lock:
            views = self._by_kind.get(kind, {})
            for k in [key] if key is not None else list(views):
                memory = views.pop(k, None)
                if memory is not None:
                    memory.release()
