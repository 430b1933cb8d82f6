"""Where a camera device's pictures come from: one board, pictures taken one at a time.

The device talks only to this class (open, close, exposure, snap, latest frame, sizes,
temperature, 8-bit view). Continuous acquisition into the library's recorder ring slots in
here as start/stop, with the same Frame records and the same frame numbering.
"""

from __future__ import annotations

import ctypes
import threading
import time
from dataclasses import dataclass, replace
from typing import Callable, Optional

import numpy as np

from .. import camera
from ..camera import Board, CocSettings, LmvError
from ..camera_codes import NO_PICTURE

_SELECT_ONLY = 0x100  # selecting with this bit leaves the board's loaded table alone


@dataclass(frozen=True)
class Frame:
    number: int  # 1 for the first picture of the source, no gaps
    image: np.ndarray  # (height, width) uint16, 12-bit values
    timestamp: float


class ContinuousNotAvailable(Exception):
    """Continuous acquisition needs the library's recorder."""


def exposure_of(settings: CocSettings) -> float:
    """The exposure time (second field of the times text) of settings, in ms."""
    fields = settings.times.split(",")
    return float(fields[1]) if len(fields) > 1 else 0.0


def with_exposure(settings: CocSettings, exposure_ms: float) -> CocSettings:
    fields = settings.times.split(",")
    delay = fields[0] if fields and fields[0].strip() else "0"
    return replace(settings, times=f"{delay},{int(round(exposure_ms))},-1,-1")


class SnapSource:
    def __init__(self, board_number: int, settings: CocSettings,
                 on_frame: Optional[Callable[[Frame], None]] = None) -> None:
        self.board_number = board_number
        self.settings = settings
        self.on_frame = on_frame
        self._board: Optional[Board] = None
        self._lock = threading.Lock()
        self._latest: Optional[Frame] = None
        self._count = 0

    # ---- set-up -------------------------------------------------------------------------------
    def open(self) -> None:
        board = Board(self.board_number)
        board.open()
        self._board = board
        self.apply(self.settings)

    def close(self) -> None:
        board, self._board = self._board, None
        if board is not None:
            board.close()

    @property
    def board(self) -> Board:
        if self._board is None:
            raise LmvError(-1, "board not open")
        return self._board

    def apply(self, settings: CocSettings) -> None:
        """Fits the settings to the camera and loads them; keeps the fitted ones."""
        _result, fitted = self.board.test_coc(settings)
        self.board.set_coc(fitted)
        self.settings = fitted

    @property
    def exposure_ms(self) -> float:
        return exposure_of(self.settings)

    def set_exposure(self, exposure_ms: float) -> None:
        self.apply(with_exposure(self.settings, exposure_ms))

    def image_size(self) -> tuple:
        return self.board.image_size()

    def ccd_temperature(self) -> int:
        return self.board.status()[2]

    # ---- pictures -----------------------------------------------------------------------------
    def snap(self, timeout: float) -> Frame:
        """Takes one picture; TimeoutError when none came within timeout seconds."""
        with self._lock:
            board = self.board
            width, height = board.image_size()
            image = np.empty((height, width), dtype=np.uint16)
            deadline = time.monotonic() + timeout
            board.run_coc(0)
            try:
                while board.read_into(image) == NO_PICTURE:
                    if time.monotonic() > deadline:
                        raise TimeoutError(f"no picture within {timeout} s")
            finally:
                board.stop_coc(0)
            return self._deliver(image)

    def _deliver(self, image: np.ndarray) -> Frame:
        self._count += 1
        frame = Frame(self._count, image, time.time())
        self._latest = frame
        if self.on_frame is not None:
            self.on_frame(frame)
        return frame

    def latest(self) -> Optional[Frame]:
        return self._latest

    def to_8bit(self, frame: Frame) -> np.ndarray:
        """The frame through the board's B/W output table."""
        height, width = frame.image.shape
        out = np.empty((height, width), dtype=np.uint8)
        source = np.ascontiguousarray(frame.image)
        lib = camera.library()
        with camera.board_lock:
            camera.check(lib.SET_BOARD(self.board_number | _SELECT_ONLY), "SET_BOARD")
            camera.check(lib.CONVERT_BUFFER_12TO8(
                0, width, height, source.ctypes.data_as(ctypes.POINTER(ctypes.c_short)),
                out.ctypes.data_as(ctypes.POINTER(ctypes.c_ubyte))), "CONVERT_BUFFER_12TO8")
        return out

    # ---- continuous ---------------------------------------------------------------------------
    def start(self) -> None:
        raise ContinuousNotAvailable("continuous acquisition needs the camera library's "
                                     "recorder, which this build does not have")

    def stop(self) -> None:
        pass

    @property
    def running(self) -> bool:
        return False
