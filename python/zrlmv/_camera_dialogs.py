"""The camera dialog module of a board and its registry settings (needs the module; without it
the calls raise LmvError -13)."""

from __future__ import annotations

import ctypes

from ._camera_settings import CocSettings, _TIMES_SIZE, _int_refs


class DialogsMixin:
    """Camera dialog commands of Board."""

    def open_camera_dialog(self, title: str = "", flags: int = 0) -> int:
        """Opens the camera dialog of the board (parent window: none)."""
        return self._invoke("OPEN_DIALOG_CAM", None, int(flags), title.encode())

    def close_camera_dialog(self) -> int:
        """Closes the camera dialog."""
        return self._invoke("CLOSE_DIALOG_CAM")

    def camera_dialog_settings(self) -> CocSettings:
        """The COC settings shown in the camera dialog."""
        ints, refs = _int_refs()
        times = ctypes.create_string_buffer(_TIMES_SIZE)
        self._invoke("GET_DIALOG_CAM", *refs, times)
        return CocSettings(*(i.value for i in ints), times.value.decode().rstrip())

    def set_camera_dialog(self, settings: CocSettings) -> int:
        """Shows settings in the camera dialog."""
        return self._invoke("SET_DIALOG_CAM", *settings.numbers(), settings.times.encode())

    def lock_camera_dialog(self, lock: bool) -> int:
        """Locks (True) or unlocks the dialog's controls."""
        return self._invoke("LOCK_DIALOG_CAM", int(lock))

    def camera_dialog_status(self) -> tuple[int, int]:
        """(window, status) of the dialog."""
        window, status = ctypes.c_int(), ctypes.c_int()
        self._invoke("STATUS_DIALOG_CAM", ctypes.byref(window), ctypes.byref(status))
        return window.value, status.value

    def read_registry_values(self) -> int:
        """The dialog module reads its settings from the registry."""
        return self._invoke("_READ_REGISTRY_VALUES")

    def write_registry_values(self) -> int:
        """The dialog module writes its settings to the registry."""
        return self._invoke("_WRITE_REGISTRY_VALUES")
