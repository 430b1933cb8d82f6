"""TAL command lines as text: what a terminal user types, with the answers as lines."""

from __future__ import annotations

import ctypes
from typing import Sequence, Union

from ._motion_core import CorvaneError, encode, translate_error

# "#5", "#7", "#8" and "#24" stand for the one-character commands when typed as text.
CONTROL_LINES = {"#5": "\x05", "#7": "\x07", "#8": "\x08", "#24": "\x18"}


class TalMixin:
    """The command-string interface of Controller."""

    def tal(self, lines: Union[str, Sequence[str]]) -> list[str]:
        """Runs TAL lines (one string with LF between lines, or a list of lines) and returns
        the answer lines without their LF and continuation blank.

        Raises CorvaneError when a line failed, and also for an invalid line or an unknown
        command word (the library reports those through the error number only). While a
        macro is being recorded the errors are left for MAC END."""
        if not isinstance(lines, str):
            lines = "\n".join(CONTROL_LINES.get(line, line) for line in lines)
        ok = self._lib.Corvane_TalCommandset(self.id, encode(CONTROL_LINES.get(lines, lines)))
        answers = self.tal_answers()
        if ok and self.is_recording_macro():
            number = 0  # the lines' errors stay for MAC END
        else:
            number = self.get_error()
        if number or not ok:
            raise CorvaneError(number, translate_error(number), "Corvane_TalCommandset")
        return answers

    def tal_answers(self) -> list[str]:
        """Every answer line still queued, in order (also those of an earlier failed call)."""
        answers = []
        size = ctypes.c_int()
        while True:
            self._call("Corvane_TalGetAnswerSize", ctypes.byref(size))
            if size.value <= 0:
                return answers
            buffer = ctypes.create_string_buffer(size.value)
            self._call("Corvane_TalGetAnswer", buffer, size.value)
            answers.append(buffer.value.decode("latin-1").rstrip("\n").rstrip(" "))
