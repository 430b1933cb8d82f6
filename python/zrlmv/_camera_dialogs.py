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


class LutDialog:
    """One of the board's LUT dialogs ("BW" or "COL"): an X11 window with a thread of its own.

    `parent` is the X11 window ID of the application's top-level window (0 = none); with
    `notify` the dialog sends that window a ClientMessage (camera.LUT_UPDATE_ATOM) after every
    change; with `load_tables=False` the dialog leaves loading the changed tables to the
    application. Without the dialog module, its X11 library or a display, opening raises
    LmvError -31 at once.
    """

    def __init__(self, board, kind: str) -> None:
        self._board, self._kind = board, kind

    def open(self, parent: int = 0, *, notify: bool = False, load_tables: bool = True,
             param: int = 0, title: str | None = None) -> None:
        """Opens the dialog (shows it again when it is open already)."""
        param |= (1 if notify else 0) | (0 if load_tables else 2)
        self._board._invoke(f"OPEN_DIALOG_{self._kind}", ctypes.c_void_p(parent or None),
                            int(param), None if title is None else title.encode())

    def close(self) -> None:
        """Closes the dialog; it writes its values and position to the registry first."""
        self._board._invoke(f"CLOSE_DIALOG_{self._kind}")

    def lock(self, locked: bool = True) -> None:
        """Makes the dialog ignore mouse and keys (True) or take them again (False)."""
        self._board._invoke(f"LOCK_DIALOG_{self._kind}", int(locked))

    def status(self) -> tuple[int, bool]:
        """(X11 window ID or 0, changed since the last call); the call clears the flag."""
        window, changed = ctypes.c_int(), ctypes.c_int()
        self._board._invoke(f"STATUS_DIALOG_{self._kind}", ctypes.byref(window),
                            ctypes.byref(changed))
        return window.value & 0xFFFFFFFF, bool(changed.value)

    def __enter__(self) -> "LutDialog":
        return self

    def __exit__(self, *exc) -> None:
        self.close()


class LutDialogsMixin:
    """The B/W and colour LUT dialogs of Board."""

    @property
    def bw_dialog(self) -> LutDialog:
        """The B/W LUT dialog (its values: bw_table / set_bw_table)."""
        return LutDialog(self, "BW")

    @property
    def colour_dialog(self) -> LutDialog:
        """The colour LUT dialog (its values: colour_table / set_colour_table)."""
        return LutDialog(self, "COL")
