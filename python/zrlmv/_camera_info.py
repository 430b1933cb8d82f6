"""Board and camera state: identity, status, temperatures (degrees C), time limits (ms)."""

from __future__ import annotations

import ctypes


class InfoMixin:
    """State queries of Board."""

    def status(self) -> tuple[int, int, int]:
        """(camera status word, electronics temperature, CCD temperature in degrees C)."""
        values = [ctypes.c_int() for _ in range(3)]
        self._invoke("GET_STATUS", *(ctypes.byref(v) for v in values))
        return values[0].value, values[1].value, values[2].value

    def image_status(self) -> int:
        """Board-buffer state: bit 0 transfer in progress, bit 1 no picture, bits 24-31 the
        board's status byte."""
        status = ctypes.c_int(0)
        self._invoke("GET_IMAGE_STATUS", ctypes.byref(status))
        return status.value

    def picture_waiting(self) -> bool:
        """Whether a picture waits in the board buffer."""
        return not self.image_status() & 0x2

    def camera_id(self) -> int:
        """The camera's identification number, as the board record holds it."""
        return self._board_value("GET_CAMERA_ID")

    def camera_ccd(self) -> int:
        """The CCD type of the camera."""
        return self._board_value("GET_CAMERA_CCD")

    def camera_typ(self) -> int:
        """The camera type (2: long exposure)."""
        return self._board_value("GET_CAMERA_TYP")

    def camera_stat(self, what: int) -> int:
        """1 status word, 2 CCD and 3 electronics temperature (degrees C), 4 and 5 board-type-3
        values, 6 board type, 7 board version."""
        return self._board_value("GET_CAMERA_STAT", what)

    def _board_value(self, name: str, *args) -> int:
        value = ctypes.c_int()
        self._direct(name, self.number, *args, ctypes.byref(value))
        return value.value

    def set_camera_val(self, what: int, value: int) -> None:
        """Board type 3: writes camera value 1 or 2."""
        self._direct("SET_CAMERA_VAL", self.number, int(what), int(value))

    def check_board_memory(self, words: int) -> None:
        """Tests words 16-bit words of board memory (LmvError -34 on a wrong value)."""
        self._direct("CHECK_BOARD_MEMORY", self.number, int(words))

    def clear_board_buffer(self) -> None:
        """Sends the clear command to the board."""
        self._direct("CLEAR_BOARD_BUFFER", self.number)

    def timeouts(self, *, alias: bool = False) -> tuple[int, int]:
        """(driver time limit, image time limit) in ms; alias: through GETTIMEOUT."""
        driver, image = ctypes.c_int(), ctypes.c_int()
        self._invoke("GETTIMEOUT" if alias else "GET_TIMEOUT", ctypes.byref(driver),
                     ctypes.byref(image))
        return driver.value, image.value

    def set_timeouts(self, driver_ms: int, image_ms: int, *, alias: bool = False) -> int:
        """Time limits in ms (driver taken only above 1500, image only above 2000); returns the
        image limit given. alias: through SETTIMEOUT."""
        return self._invoke("SETTIMEOUT" if alias else "SET_TIMEOUT", int(driver_ms),
                            int(image_ms))
