"""Library failures as Tango DevFailed, carrying the library's own text."""

from __future__ import annotations

import tango

from ..camera import LmvError
from ..motion import NAMES, CorvaneError


def raise_corvane(error: CorvaneError, origin: str) -> None:
    reason = NAMES.get(error.number, f"CORVANE_ERROR_{error.number}")
    tango.Except.throw_exception(reason, str(error), origin)


def raise_lmv(error: LmvError, origin: str) -> None:
    tango.Except.throw_exception(f"LMV_ERROR_{-error.code}", str(error), origin)


def raise_plain(reason: str, text: str, origin: str) -> None:
    tango.Except.throw_exception(reason, text, origin)
