"""Macros kept and run by the boards: "AMC5" is macro 5 on the board of axis A."""

from __future__ import annotations

import contextlib
import ctypes
from typing import Iterator

from ._motion_core import CorvaneError, encode, text_lines

_BOOL = ctypes.c_int32


class MacrosMixin:
    """Macro commands of Controller."""

    def mac_beg(self, name: str) -> None:
        """Starts recording macro name; the commands for its axis are recorded, not carried out."""
        self._call("Corvane_MAC_BEG", encode(name))

    def mac_end(self) -> None:
        """Ends recording and stores the macro on its board (a little over a second)."""
        self._call("Corvane_MAC_END")

    @contextlib.contextmanager
    def macro(self, name: str) -> Iterator["MacrosMixin"]:
        """Records the commands of the with-block into macro name; an exception in the block
        ends the recording and stores nothing."""
        self.mac_beg(name)
        try:
            yield self
        except BaseException:
            if not self._lib.Corvane_MAC_END(self.id):
                self.get_error()  # the block's exception is the one that counts
            raise
        self.mac_end()

    def mac_start(self, name: str, repetitions: int = 1) -> None:
        """Starts the macro once, or repetitions times (1 to 65536)."""
        if repetitions == 1:
            self._call("Corvane_MAC_START", encode(name))
        else:
            self._call("Corvane_MAC_NSTART", encode(name), int(repetitions))

    def mac_del(self, name: str) -> None:
        """Deletes the macro from its board."""
        self._call("Corvane_MAC_DEL", encode(name))

    def qmac(self, name: str = "") -> list[str]:
        """With a name: the macro's TAL lines; without: the names of the stored macros."""
        return text_lines(self._text("Corvane_qMAC", encode(name), size=1 << 14))

    def wac(self, condition: str) -> None:
        """While recording: the macro waits until the condition holds ("ONT? A = 1")."""
        self._call("Corvane_WAC", encode(condition))

    def mex(self, condition: str) -> None:
        """While recording: the macro ends when the condition holds ("DIO? A = 1")."""
        self._call("Corvane_MEX", encode(condition))

    def is_recording_macro(self) -> bool:
        """Whether a macro is being recorded."""
        return self._flag("Corvane_IsRecordingMacro")

    def is_running_macro(self) -> bool:
        """Whether a board runs a macro."""
        return self._flag("Corvane_IsRunningMacro")

    def _flag(self, name: str) -> bool:
        flag = _BOOL()
        self._call(name, ctypes.byref(flag))
        return bool(flag.value)


__all__ = ["MacrosMixin", "CorvaneError"]
