"""Library failures as Tango DevFailed, carrying the library's own text."""

from __future__ import annotations

import functools

import tango

from ..camera import LmvError
from ..motion import NAMES, CorvaneError
from .link import LinkUnavailable


def raise_corvane(error: CorvaneError, origin: str) -> None:
    reason = NAMES.get(error.number, f"CORVANE_ERROR_{error.number}")
    tango.Except.throw_exception(reason, str(error), origin)


def raise_lmv(error: LmvError, origin: str) -> None:
    tango.Except.throw_exception(f"LMV_ERROR_{-error.code}", str(error), origin)


def raise_plain(reason: str, text: str, origin: str) -> None:
    tango.Except.throw_exception(reason, text, origin)


def guarded(origin: str):
    """Turns library failures of a device method into DevFailed with the library's text."""
    def wrap(method):
        @functools.wraps(method)
        def run(self, *args):
            try:
                return method(self, *args)
            except CorvaneError as error:
                raise_corvane(error, origin)
            except LinkUnavailable as error:
                raise_plain("LINE_UNAVAILABLE", str(error), origin)
        return run
    return wrap
