"""Finds and loads the two shared libraries, each once per process."""

from __future__ import annotations

import ctypes
import os
import pathlib
import threading
from dataclasses import dataclass
from typing import Optional


@dataclass(frozen=True)
class LibrarySpec:
    what: str          # for messages: "motion library"
    variable: str      # environment variable naming the file
    soname: str        # the installed library
    file_name: str     # the build tree's file in build/release/lib


MOTION = LibrarySpec("motion library", "ZRLMV_MOTION_LIBRARY", "libZR_Corvane_TAL.so.2",
                     "libZR_Corvane_TAL.so")
CAMERA = LibrarySpec("camera library", "ZRLMV_CAMERA_LIBRARY", "liblmvntcam.so.1",
                     "liblmvntcam.so")

_lock = threading.Lock()
_loaded: dict[str, ctypes.CDLL] = {}


def _build_tree_candidates(spec: LibrarySpec) -> list[str]:
    """build/release/lib of the project this package lies in, or of the current folder's."""
    places = [pathlib.Path(__file__).resolve().parent, pathlib.Path.cwd()]
    found: list[str] = []
    for start in places:
        for folder in (start, *start.parents):
            candidate = folder / "build" / "release" / "lib" / spec.file_name
            if candidate.is_file() and str(candidate) not in found:
                found.append(str(candidate))
                break
    return found


def _candidates(spec: LibrarySpec, path: Optional[str]) -> list[tuple[str, Optional[str]]]:
    """(description, name to load) in the order tried; None when there is nothing to try."""
    if path is not None:
        return [(f"explicit path {path}", path)]
    env = os.environ.get(spec.variable)
    tried: list[tuple[str, Optional[str]]] = [
        (f"{spec.variable}={env}" if env else f"{spec.variable} (not set)", env or None),
        (f"installed {spec.soname}", spec.soname)]
    builds = _build_tree_candidates(spec)
    tried += [(f"build tree {b}", b) for b in builds] or [
        (f"build/release/lib/{spec.file_name} (no build tree found)", None)]
    return tried


def load(spec: LibrarySpec, path: Optional[str] = None) -> ctypes.CDLL:
    """The loaded library: once per process; a later call returns the same object.

    path: an explicit file, tried alone. Otherwise the environment variable, then the installed
    soname, then build/release/lib of the project. OSError names everything tried.
    """
    with _lock:
        if spec.what in _loaded:
            return _loaded[spec.what]
        failures = []
        for description, name in _candidates(spec, path):
            if name is None:
                failures.append(description)
                continue
            try:
                library = ctypes.CDLL(name)
            except OSError as error:
                failures.append(f"{description}: {error}")
                continue
            _loaded[spec.what] = library
            return library
        raise OSError(f"zrlmv: cannot load the {spec.what}; tried: " + "; ".join(failures))


def bind(library: ctypes.CDLL, bindings) -> dict[str, object]:
    """Gives every export its restype and argtypes; returns the functions by name."""
    functions = {}
    for _ordinal, name, restype, argtypes in bindings:
        function = getattr(library, name)
        function.restype = restype
        function.argtypes = list(argtypes)
        functions[name] = function
    return functions
