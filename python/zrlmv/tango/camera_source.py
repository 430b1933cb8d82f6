"""Where a camera device's pictures come from: one board, pictures taken one at a time (snap)
or continuously into the library's recorder ring (start/stop), with the same Frame records and
the same gap-free frame numbering.

The device talks only to this class (open, close, exposure, snap, start, stop, latest frame,
sizes, temperature, 8-bit view).
"""

from __future__ import annotations

import contextlib
import ctypes
import threading
import time
from dataclasses import dataclass, replace
from typing import Callable, ContextManager, Optional

import numpy as np

from .. import camera
from ..camera import RING, Board, CocSettings, LmvError
from ..camera_codes import NO_PICTURE

_SELECT_ONLY = 0x100  # selecting with this bit leaves the board's loaded table alone
RING_BUFFERS = 8
_ARENA_BOARDS = 2  # boards of one server that can record at once at the first one's size
_FOLLOW_PERIOD = 0.002  # s between looks at the recording's counters


@dataclass(frozen=True)
class Frame:
    number: int  # 1 for the first picture of the source, no gaps
    image: np.ndarray  # (height, width) uint16, 12-bit values
    timestamp: float


class _Arena:
    """The process's one recorder arena, shared by the sources that record."""
    lock = threading.Lock()
    users = 0

    @classmethod
    def take(cls, pixels: int) -> None:
        with cls.lock:
            if cls.users == 0:  # each board's ring, and its hidden work buffer
                camera.alloc_recorder(pixels, (RING_BUFFERS + 1) * _ARENA_BOARDS)
            cls.users += 1

    @classmethod
    def give_back(cls) -> None:
        with cls.lock:
            cls.users -= 1
            if cls.users == 0:
                camera.free_recorder()


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
                 on_frame: Optional[Callable[[Frame], None]] = None,
                 thread_context: Callable[[], ContextManager] = contextlib.nullcontext) -> None:
        self.board_number = board_number
        self.settings = settings
        self.on_frame = on_frame
        self.thread_context = thread_context  # entered by the thread that delivers frames
        self._board: Optional[Board] = None
        self._lock = threading.Lock()
        self._new_frame = threading.Condition()
        self._latest: Optional[Frame] = None
        self._count = 0
        self._recorder: Optional[threading.Thread] = None
        self._reader: Optional[threading.Thread] = None
        self.lost = 0  # frames of the recording overwritten before they could be delivered
        self.recording_error: Optional[LmvError] = None

    # ---- set-up -------------------------------------------------------------------------------
    def open(self) -> None:
        board = Board(self.board_number)
        board.open()
        self._board = board
        self.apply(self.settings)

    def close(self) -> None:
        self.stop()
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
        if self.running:
            return self._next_frame(timeout)
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
        with self._new_frame:
            self._count += 1
            frame = Frame(self._count, image, time.time())
            self._latest = frame
            self._new_frame.notify_all()
        if self.on_frame is not None:
            self.on_frame(frame)
        return frame

    def _next_frame(self, timeout: float) -> Frame:
        with self._new_frame:
            before = self._count
            if not self._new_frame.wait_for(lambda: self._count > before, timeout):
                raise TimeoutError(f"no picture within {timeout} s")
            return self._latest

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
        """Records into a ring of buffers until stop; a reader thread delivers every frame it
        can copy before the ring comes round again (the others count in lost)."""
        with self._lock:
            self._stop_held()
            board = self.board
            width, height = board.image_size()
            _Arena.take(width * height)
            try:
                count = self._ring_started(board, width, height)
            except BaseException:
                _Arena.give_back()
                raise
            self._reader = threading.Thread(target=self._follow, args=(count,),
                                            name=f"frames of board {self.board_number}",
                                            daemon=True)
            self._reader.start()

    def _ring_started(self, board: Board, width: int, height: int) -> int:
        count = board.set_buffer_size(RING_BUFFERS, width, height)
        if count < 2:
            raise LmvError(-23, "SET_BUFFER_SIZE (the recorder arena is taken by other boards)")
        self._buffers = [board.buffer(n) for n in range(1, count + 1)]
        self.lost, self.recording_error = 0, None
        started = threading.Event()
        board.run_coc(0)
        self._recorder = threading.Thread(target=self._record, args=(count, started),
                                          name=f"recording of board {self.board_number}",
                                          daemon=True)
        self._recorder.start()
        while not started.wait(0.05):  # the library takes the board or refuses at once
            if not self._recorder.is_alive():
                self._recorder = None
                board.stop_coc(0)
                raise self.recording_error or LmvError(-1, "RUN_DMA ended at once")
        return count

    def _record(self, count: int, started: threading.Event) -> None:
        try:
            self.board.run_dma(1, count, RING, started=started)
        except LmvError as error:
            self.recording_error = error

    def _follow(self, count: int) -> None:
        with self.thread_context():
            seen = 0
            while True:
                ended = not self._recorder.is_alive()  # then the counters below are final
                seen = self._deliver_new(seen, self.board.dma_counters().frames, count)
                if ended:
                    return
                time.sleep(_FOLLOW_PERIOD)

    def _deliver_new(self, seen: int, frames: int, count: int) -> int:
        """Delivers frames seen+1 .. frames (numbers of this recording) from the ring. The
        buffer after the newest is being filled, so only the newest count-1 are whole."""
        oldest_whole = frames - count + 2
        if seen + 1 < oldest_whole:
            self.lost += oldest_whole - seen - 1
            seen = oldest_whole - 1
        while seen < frames:
            seen += 1
            image = self._buffers[(seen - 1) % count].array.copy()
            if self.board.dma_counters().frames - seen >= count - 1:
                self.lost += 1  # the ring came round while it was copied
            else:
                self._deliver(image)
        return seen

    def stop(self) -> None:
        with self._lock:
            self._stop_held()

    def _stop_held(self) -> None:
        recorder, reader = self._recorder, self._reader
        if recorder is None:
            return
        self.board.stop_dma()
        recorder.join()
        reader.join()
        self._recorder = self._reader = None
        try:
            self.board.stop_coc(0)
        finally:
            _Arena.give_back()

    @property
    def running(self) -> bool:
        recorder = self._recorder
        return recorder is not None and recorder.is_alive()

    def dropped(self) -> int:
        """Pictures the board dropped during the current or last recording."""
        return self.board.dma_counters().dropped
