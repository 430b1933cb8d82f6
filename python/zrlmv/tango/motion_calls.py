"""Motion library calls the devices need that zrlmv.motion.Controller does not offer (status
items, reference results, home definition, the TAL text interface). They use the controller's
raw layer and report failures as CorvaneError, as the Controller methods do."""

from __future__ import annotations

import ctypes

from .. import motion_errors
from ..motion import Controller, CorvaneError, translate_error

# GetStatus items
NEGATIVE_LIMIT = 1
POSITIVE_LIMIT = 2
MOVING = 4

_TAL_EXPORTS = ("Corvane_TalCommandset", "Corvane_TalGetAnswerSize", "Corvane_TalGetAnswer")


def _fail(ctl: Controller, call: str) -> CorvaneError:
    number = ctl.get_error()  # read once: it clears
    return CorvaneError(number, translate_error(number), call)


def status_item(ctl: Controller, axes: str, item: int) -> dict[str, int]:
    items = (ctypes.c_int * len(axes))(*([item] * len(axes)))
    values = (ctypes.c_int * len(axes))()
    if not ctl._lib.Corvane_GetStatus(ctl.id, axes.encode("ascii"), items, values):
        raise _fail(ctl, "Corvane_GetStatus")
    return {axis: values[i] for i, axis in enumerate(axes)}


def _bools(ctl: Controller, name: str, axes: str) -> dict[str, bool]:
    values = (ctypes.c_int32 * max(len(axes), 16))()
    if not getattr(ctl._lib, name)(ctl.id, axes.encode("ascii"), values):
        raise _fail(ctl, name)
    return {axis: bool(values[i]) for i, axis in enumerate(axes)}


def is_reference_ok(ctl: Controller, axes: str) -> dict[str, bool]:
    return _bools(ctl, "Corvane_IsReferenceOK", axes)


def is_referencing(ctl: Controller, axes: str) -> dict[str, bool]:
    return _bools(ctl, "Corvane_IsReferencing", axes)


def define_home(ctl: Controller, axes: str) -> None:
    if not ctl._lib.Corvane_DFH(ctl.id, axes.encode("ascii")):
        raise _fail(ctl, "Corvane_DFH")


def _tal_functions(ctl: Controller):
    """The text interface's exports, or None when the loaded library has none."""
    cdll = ctl._lib.cdll
    try:
        send, size, answer = (getattr(cdll, name) for name in _TAL_EXPORTS)
    except AttributeError:
        return None
    send.argtypes, send.restype = (ctypes.c_int, ctypes.c_char_p), ctypes.c_int32
    size.argtypes, size.restype = (ctypes.c_int, ctypes.POINTER(ctypes.c_int)), ctypes.c_int32
    answer.argtypes = (ctypes.c_int, ctypes.c_char_p, ctypes.c_int)
    answer.restype = ctypes.c_int32
    return send, size, answer


def tal(ctl: Controller, lines: str, max_answer_lines: int = 4096) -> str:
    """Runs TAL command lines; returns the answer lines they queued, joined."""
    functions = _tal_functions(ctl)
    if functions is None:
        raise CorvaneError(motion_errors.COM_FUNCTION_NOT_SUPPORTED,
                           "the loaded motion library has no TAL command-string interface",
                           "Corvane_TalCommandset")
    send, size, answer = functions
    if not send(ctl.id, lines.encode("latin-1")):
        raise _fail(ctl, "Corvane_TalCommandset")
    out = []
    needed = ctypes.c_int()
    for _ in range(max_answer_lines):
        if not size(ctl.id, ctypes.byref(needed)) or needed.value <= 0:
            break
        buffer = ctypes.create_string_buffer(needed.value)
        if not answer(ctl.id, buffer, needed.value):
            raise _fail(ctl, "Corvane_TalGetAnswer")
        out.append(buffer.value.decode("latin-1"))
    return "".join(out)
