"""LumivertCamera: one camera board. Snap takes a picture, Start and Stop run the camera
continuously into the recorder ring; Image and Image8 hand out the latest frame; each new frame
pushes change events (Image, Image8, FrameNumber) and a data-ready event on Image."""

from __future__ import annotations

import functools

import numpy as np
import tango
from tango.server import Device, attribute, command, device_property

from ..camera import CocSettings, LmvError
from .camera_source import Frame, SnapSource, with_exposure
from .errors import raise_lmv, raise_plain

_MAX_SIDE = 8192


def camera_call(origin: str, fault_on_error: bool = True):
    """Library failures become DevFailed with the library's text (and FAULT when the board
    itself failed)."""
    def wrap(method):
        @functools.wraps(method)
        def run(self, *args):
            try:
                return method(self, *args)
            except LmvError as error:
                if fault_on_error:
                    self.fault(str(error))
                raise_lmv(error, origin)
            except TimeoutError as error:
                raise_plain(type(error).__name__, str(error), origin)
        return run
    return wrap


class LumivertCamera(Device):
    """A camera board; pictures as uint16 images of 12-bit values."""

    Board = device_property(dtype=int, default_value=0, doc="board number 0..9")
    CocMode = device_property(dtype=int, default_value=0, doc="camera operation mode")
    CocTrigger = device_property(dtype=int, default_value=0, doc="trigger mode")
    Roi = device_property(dtype=(int,), default_value=[1, 9999, 1, 9999],
                          doc="region xmin, xmax, ymin, ymax in blocks of 32 pixels, 1-based")
    Binning = device_property(dtype=(int,), default_value=[1, 1], doc="horizontal, vertical")
    DelayMs = device_property(dtype=int, default_value=0)
    ExposureMs = device_property(dtype=float, default_value=10.0,
                                 doc="exposure time after start-up")
    SnapTimeoutMs = device_property(dtype=int, default_value=10000,
                                    doc="longest wait for a picture beyond its exposure")

    def init_device(self) -> None:
        super().init_device()
        for name in ("Image", "Image8", "FrameNumber"):
            self.set_change_event(name, True, False)
        self.set_data_ready_event("Image", True)
        # frames of a continuous acquisition are pushed from the source's reader thread
        self.source = SnapSource(self.Board, self._settings(), on_frame=self._announce,
                                 thread_context=tango.EnsureOmniThread)
        try:
            self.source.open()
        except LmvError as error:
            self.fault(str(error))
            return
        self.set_state(tango.DevState.ON)
        self.set_status(f"board {self.Board} ready")

    def _settings(self) -> CocSettings:
        roi = list(self.Roi) + [1, 9999, 1, 9999][len(self.Roi):]
        binning = list(self.Binning) + [1, 1][len(self.Binning):]
        return with_exposure(CocSettings(self.CocMode, self.CocTrigger, *roi[:4], *binning[:2],
                                         times=f"{self.DelayMs},0,-1,-1"), self.ExposureMs)

    def delete_device(self) -> None:
        try:
            self.source.stop()
            self.source.close()
        except LmvError:
            pass

    def dev_state(self) -> tango.DevState:
        if self.get_state() == tango.DevState.RUNNING and not self.source.running:
            error = self.source.recording_error
            self.set_state(tango.DevState.ON)
            self.set_status(f"board {self.Board} ready; the recording ended"
                            + (f": {error}" if error else ""))
        return self.get_state()

    def dev_status(self) -> str:
        if self.dev_state() == tango.DevState.RUNNING:
            self.set_status(f"board {self.Board} acquiring continuously: frame "
                            f"{self._frame_number()}, {self.source.lost} lost to a full ring")
        return self.get_status()

    def _frame_number(self) -> int:
        frame = self.source.latest()
        return frame.number if frame else 0

    def fault(self, text: str) -> None:
        self.set_state(tango.DevState.FAULT)
        self.set_status(f"board {self.Board} failed: {text} (Init opens it again)")

    def _require_on(self, origin: str) -> None:
        if self.get_state() == tango.DevState.FAULT:
            raise_plain("BOARD_FAULT", self.get_status(), origin)

    def _announce(self, frame: Frame) -> None:
        self.push_change_event("Image", frame.image)
        self.push_change_event("Image8", self.source.to_8bit(frame))
        self.push_change_event("FrameNumber", frame.number)
        self.push_data_ready_event("Image", frame.number)

    def _latest(self) -> Frame:
        frame = self.source.latest()
        if frame is None:
            raise_plain("NO_FRAME", "no picture taken yet (use Snap)", "LumivertCamera")
        return frame

    # ---- attributes ---------------------------------------------------------------------------
    @attribute(dtype=((np.uint16,),), max_dim_x=_MAX_SIDE, max_dim_y=_MAX_SIDE,
               doc="latest picture, 12-bit values")
    def Image(self) -> np.ndarray:
        return self._latest().image

    @attribute(dtype=((np.uint8,),), max_dim_x=_MAX_SIDE, max_dim_y=_MAX_SIDE,
               doc="latest picture through the board's B/W output table")
    @camera_call("LumivertCamera.Image8", fault_on_error=False)
    def Image8(self) -> np.ndarray:
        return self.source.to_8bit(self._latest())

    @attribute(dtype=float, access=tango.AttrWriteType.READ_WRITE, unit="ms",
               min_value=0, doc="exposure time as the camera runs it")
    def ExposureTime(self) -> float:
        return self.source.exposure_ms

    @ExposureTime.write
    @camera_call("LumivertCamera.ExposureTime", fault_on_error=False)
    def ExposureTime(self, value: float) -> None:
        self._require_on("LumivertCamera.ExposureTime")
        self.source.set_exposure(value)

    @attribute(dtype=int, doc="number of the latest frame, 1 for the first; 0 before any")
    def FrameNumber(self) -> int:
        return self._frame_number()

    @attribute(dtype=int, unit="degC")
    @camera_call("LumivertCamera.CcdTemperature")
    def CcdTemperature(self) -> int:
        self._require_on("LumivertCamera.CcdTemperature")
        return self.source.ccd_temperature()

    @attribute(dtype=int, unit="px")
    @camera_call("LumivertCamera.Width")
    def Width(self) -> int:
        self._require_on("LumivertCamera.Width")
        return self.source.image_size()[0]

    @attribute(dtype=int, unit="px")
    @camera_call("LumivertCamera.Height")
    def Height(self) -> int:
        self._require_on("LumivertCamera.Height")
        return self.source.image_size()[1]

    # ---- commands -----------------------------------------------------------------------------
    @command(dtype_out=int, doc_out="frame number of the picture")
    @camera_call("LumivertCamera.Snap")
    def Snap(self) -> int:
        """Takes one picture and waits for it."""
        self._require_on("LumivertCamera.Snap")
        timeout = (self.source.exposure_ms + self.SnapTimeoutMs) / 1000.0
        return self.source.snap(timeout).number

    @command
    @camera_call("LumivertCamera.Start", fault_on_error=False)
    def Start(self) -> None:
        """Continuous acquisition into the recorder ring; every frame the ring still holds when
        it is read is pushed, with gap-free frame numbers (the others count as lost in Status)."""
        self._require_on("LumivertCamera.Start")
        self.source.start()
        self.set_state(tango.DevState.RUNNING)
        self.set_status(f"board {self.Board} acquiring continuously")

    @command
    @camera_call("LumivertCamera.Stop", fault_on_error=False)
    def Stop(self) -> None:
        self.source.stop()
        if self.get_state() == tango.DevState.RUNNING:
            self.set_state(tango.DevState.ON)
            self.set_status(f"board {self.Board} ready; {self.source.lost} frames of the last "
                            "recording lost to a full ring")
