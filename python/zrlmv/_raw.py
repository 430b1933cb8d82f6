"""The raw layers: each library's exports as ctypes functions with their C types."""

from __future__ import annotations

import threading
import types
from typing import Optional

from . import _camera_raw, _loader, _motion_raw

_lock = threading.Lock()
_bound: dict[str, types.SimpleNamespace] = {}


def _raw(spec: _loader.LibrarySpec, bindings, path: Optional[str]) -> types.SimpleNamespace:
    with _lock:
        if spec.what not in _bound:
            library = _loader.load(spec, path)
            functions = _loader.bind(library, bindings)
            _bound[spec.what] = types.SimpleNamespace(cdll=library, **functions)
        return _bound[spec.what]


def motion(path: Optional[str] = None) -> types.SimpleNamespace:
    """libZR_Corvane_TAL's exports by name (attribute cdll: the loaded library)."""
    return _raw(_loader.MOTION, _motion_raw.BINDINGS, path)


def camera(path: Optional[str] = None) -> types.SimpleNamespace:
    """liblmvntcam's exports by name (attribute cdll: the loaded library)."""
    return _raw(_loader.CAMERA, _camera_raw.BINDINGS, path)
