"""One serial line's controller, shared by the controller device and its axis devices.

All library calls for the line go through one lock. A poller thread refreshes a snapshot of
every axis each poll period, so device states are read without touching the line; a failing
line turns the link to FAULT at the next poll, and only Connect brings it back.
"""

from __future__ import annotations

import enum
import os
import threading
from dataclasses import dataclass, field, replace
from typing import Callable, Optional, TypeVar

from .. import motion_errors
from ..motion import Controller, CorvaneError
from . import motion_calls

T = TypeVar("T")


class LinkState(enum.Enum):
    OFF = "off"
    ON = "on"
    FAULT = "fault"


class LinkUnavailable(Exception):
    """The line is not connected (OFF) or has failed (FAULT)."""


@dataclass
class LinkSettings:
    port: int
    baud: int = 57600
    max_boards: int = 16
    stages: dict = field(default_factory=dict)  # axis -> stage name
    port_file: str = ""  # corvane-sim's --port-file: read on each connect
    poll_period: float = 0.2


@dataclass(frozen=True)
class AxisSnapshot:
    stage: str = "NOSTAGE"
    position: Optional[float] = None
    moving: bool = False
    referencing: bool = False
    negative_limit: bool = False
    positive_limit: bool = False
    on_target: bool = True
    referenced: bool = False
    travel: Optional[tuple] = None  # (min, max) in positions

    @property
    def busy(self) -> bool:
        return self.moving or self.referencing


def parse_stages(lines) -> dict:
    """["A=LT-50-DC", ...] -> {"A": "LT-50-DC"}; axis letters upper case."""
    stages = {}
    for line in lines or ():
        axis, sep, stage = str(line).partition("=")
        if not sep or len(axis.strip()) != 1 or not stage.strip():
            raise ValueError(f"stage entry {line!r} is not of the form AXIS=STAGE")
        stages[axis.strip().upper()] = stage.strip()
    return stages


def export_port_file(settings: LinkSettings) -> None:
    """Makes the port named in the port file (a line WINPORT_COM<n>=<device>) known."""
    if not settings.port_file:
        return
    with open(settings.port_file, encoding="utf-8") as f:
        name, sep, device = f.read().strip().partition("=")
    if not sep or name != f"WINPORT_COM{settings.port}":
        raise LinkUnavailable(f"port file {settings.port_file} does not name "
                              f"WINPORT_COM{settings.port}")
    os.environ[name] = device


# Errors that mean the line itself is gone or not answering.
LINE_ERRORS = frozenset({motion_errors.COM_ERROR, motion_errors.SEND_ERROR,
                         motion_errors.REC_ERROR, motion_errors.NOT_CONNECTED_ERROR,
                         motion_errors.COM_OPEN_ERROR, motion_errors.COM_TIMEOUT,
                         motion_errors.COM_NO_DEVICE_WITH_ID})


def _is_busy(error: CorvaneError) -> bool:
    return error.number == motion_errors.ZR_CONTROLLER_BUSY


class ControllerLink:
    def __init__(self, name: str, settings: LinkSettings) -> None:
        self.name = name
        self.settings = settings
        self.lock = threading.RLock()
        self.state = LinkState.OFF
        self.fault_text = ""
        self.poll_note = ""
        self.settings_error = ""  # a property that cannot be used: connect refuses
        self._ctl: Optional[Controller] = None
        self._axes: dict[str, AxisSnapshot] = {}
        self._stop = threading.Event()
        self._poller: Optional[threading.Thread] = None

    # ---- connection ---------------------------------------------------------------------------
    def connect(self) -> None:
        self.disconnect()
        with self.lock:
            try:
                if self.settings_error:
                    raise LinkUnavailable(self.settings_error)
                self._open()
            except (CorvaneError, LinkUnavailable, OSError) as error:
                self._fail(str(error))
                raise
        self._stop.clear()
        self._poller = threading.Thread(target=self._poll_loop, name=f"poll {self.name}",
                                        daemon=True)
        self._poller.start()

    def _open(self) -> None:
        export_port_file(self.settings)
        self._ctl = Controller.connect_rs232(self.settings.port, self.settings.baud,
                                             max_controllers=self.settings.max_boards)
        self._axes = {axis: AxisSnapshot() for axis in self._ctl.qsai_all()}
        self.state = LinkState.ON
        self.fault_text = ""
        for axis, stage in self.settings.stages.items():
            self._assign(axis, stage)
        self._poll_locked()

    def disconnect(self) -> None:
        self._stop.set()
        poller, self._poller = self._poller, None
        if poller is not None and poller is not threading.current_thread():
            poller.join(timeout=30)
        with self.lock:
            self._close()
            self.state = LinkState.OFF
            self.fault_text = ""

    def _close(self) -> None:
        if self._ctl is not None:
            self._ctl.close()
            self._ctl = None

    def _fail(self, text: str) -> None:
        self.state = LinkState.FAULT
        self.fault_text = text
        self._close()

    # ---- calls --------------------------------------------------------------------------------
    def call(self, action: Callable[[Controller], T], refresh: bool = False) -> T:
        """Runs action(controller) under the line's lock; a failing line turns to FAULT.
        refresh: poll at once afterwards, so states reflect what the action started."""
        with self.lock:
            if self.state is not LinkState.ON:
                raise LinkUnavailable(self.status_text())
            try:
                result = action(self._ctl)
                if refresh:
                    self._poll_locked()
                return result
            except CorvaneError as error:
                if error.number in LINE_ERRORS:
                    self._fail(str(error))
                raise

    def status_text(self) -> str:
        if self.state is LinkState.FAULT:
            return f"line COM{self.settings.port} failed: {self.fault_text}"
        if self.state is LinkState.OFF:
            return f"not connected to COM{self.settings.port} (use Connect)"
        note = f"; last poll: {self.poll_note}" if self.poll_note else ""
        return f"connected to COM{self.settings.port}{note}"

    def axes(self) -> str:
        return "".join(self._axes)

    def snapshot(self, axis: str) -> Optional[AxisSnapshot]:
        return self._axes.get(axis.upper())

    def any_busy(self) -> bool:
        return any(s.busy for s in self._axes.values())

    # ---- stages -------------------------------------------------------------------------------
    def assign_stage(self, axis: str, stage: str) -> None:
        self.call(lambda _ctl: self._assign(axis.upper(), stage), refresh=True)

    def _assign(self, axis: str, stage: str) -> None:
        if axis not in self._axes:
            raise CorvaneError(motion_errors.ZR_UNKNOWN_AXIS_IDENTIFIER,
                               f"no board for axis {axis} on COM{self.settings.port}", "CST")
        ctl = self._ctl
        try:
            ctl.cst({axis: stage})
        except CorvaneError:
            # keep what the library now holds for the axis
            held = ctl.qcst(axis)[axis]
            self._axes[axis] = replace(self._axes[axis], stage=held)
            raise
        if stage.upper() == "NOSTAGE":
            self._axes[axis] = AxisSnapshot()
            return
        ctl.ini(axis)
        ctl.svo({axis: True})
        self._axes[axis] = replace(AxisSnapshot(stage=ctl.qcst(axis)[axis]),
                                   travel=self._travel(axis))

    def _travel(self, axis: str) -> tuple:
        return (self._ctl.qtmn(axis)[axis], self._ctl.qtmx(axis)[axis])

    def reload_travel(self, axis: str) -> None:
        def action(_ctl):
            self._axes[axis] = replace(self._axes[axis], travel=self._travel(axis))
        self.call(action)

    # ---- polling ------------------------------------------------------------------------------
    def _poll_loop(self) -> None:
        while not self._stop.wait(self.settings.poll_period):
            with self.lock:
                if self.state is not LinkState.ON:
                    return
                try:
                    self._poll_locked()
                    self.poll_note = ""
                except CorvaneError as error:
                    if error.number not in LINE_ERRORS:
                        self.poll_note = str(error)  # an axis's trouble, not the line's
                        continue
                    self._fail(str(error))
                    return

    def _poll_locked(self) -> None:
        axes = "".join(a for a, s in self._axes.items() if s.stage != "NOSTAGE")
        if not axes:
            self._ctl.qidn()  # a line check
            return
        ctl = self._ctl
        referencing = motion_calls.is_referencing(ctl, axes)
        moving = motion_calls.status_item(ctl, axes, motion_calls.MOVING)
        negative = motion_calls.status_item(ctl, axes, motion_calls.NEGATIVE_LIMIT)
        positive = motion_calls.status_item(ctl, axes, motion_calls.POSITIVE_LIMIT)
        measured = self._measure(axes) if not any(referencing.values()) else None
        for axis in axes:
            old = self._axes[axis]
            new = replace(old, moving=bool(moving[axis]), negative_limit=bool(negative[axis]),
                          positive_limit=bool(positive[axis]),
                          referencing=referencing[axis] or measured is None)
            if measured is not None:
                position, on_target, referenced = (m[axis] for m in measured)
                new = replace(new, position=position, on_target=on_target,
                              referenced=referenced)
                if old.referencing:  # a reference move sets a new home
                    new = replace(new, travel=self._travel(axis))
            self._axes[axis] = new

    def _measure(self, axes: str):
        """Positions, on-target and referenced states; None while the controller is busy."""
        try:
            ctl = self._ctl
            return (ctl.qpos(axes), ctl.qont(axes), motion_calls.is_reference_ok(ctl, axes))
        except CorvaneError as error:
            if _is_busy(error):
                return None
            raise
