"""CorvaneController: one serial line with its chain of boards."""

from __future__ import annotations

import tango
from tango.server import Device, attribute, command, device_property

from ..motion import CorvaneError
from . import motion_calls, registry
from .errors import guarded
from .link import ControllerLink, LinkSettings, LinkState, LinkUnavailable, parse_stages

_STATES = {LinkState.OFF: tango.DevState.OFF, LinkState.FAULT: tango.DevState.FAULT}


class CorvaneController(Device):
    """A daisy chain of Corvane boards behind one serial port."""

    Port = device_property(dtype=int, mandatory=True, doc="COM port number (WINPORT_COM<n>)")
    Baud = device_property(dtype=int, default_value=57600)
    MaxBoards = device_property(dtype=int, default_value=16,
                                doc="daisy-chain addresses 0..MaxBoards-1 scanned at Connect")
    Stages = device_property(dtype=(str,), default_value=[],
                             doc='stage per axis, one "AXIS=STAGE" entry each')
    PortFile = device_property(dtype=str, default_value="",
                               doc="file with a line WINPORT_COM<n>=<device>, read at Connect "
                                   "(as corvane-sim --port-file writes it)")
    PollPeriodMs = device_property(dtype=int, default_value=200)

    def init_device(self) -> None:
        super().init_device()
        try:
            stages, error = parse_stages(self.Stages), ""
        except ValueError as bad:
            stages, error = {}, f"property Stages: {bad}"
        self.link = ControllerLink(self.get_name(), LinkSettings(
            port=self.Port, baud=self.Baud, max_boards=self.MaxBoards, stages=stages,
            port_file=self.PortFile, poll_period=max(self.PollPeriodMs, 10) / 1000.0))
        self.link.settings_error = error
        registry.publish(self.get_name(), self.link)
        try:
            self.link.connect()
        except (CorvaneError, LinkUnavailable, OSError):
            pass  # FAULT with the reason in the status; Connect tries again

    def delete_device(self) -> None:
        registry.withdraw(self.get_name())
        self.link.disconnect()

    def dev_state(self) -> tango.DevState:
        state = _STATES.get(self.link.state, tango.DevState.ON)
        if state == tango.DevState.ON and self.link.any_busy():
            state = tango.DevState.MOVING
        self.set_state(state)
        return state

    def dev_status(self) -> str:
        self.dev_state()
        text = self.link.status_text()
        self.set_status(text)
        return text

    @attribute(dtype=str, doc="identification of the controller")
    @guarded("CorvaneController.Identification")
    def Identification(self) -> str:
        return self.link.call(lambda ctl: ctl.qidn())

    @attribute(dtype=str, doc="axis identifiers of the boards found, in board order")
    @guarded("CorvaneController.Axes")
    def Axes(self) -> str:
        return self.link.call(lambda ctl: ctl.qsai_all())

    @attribute(dtype=str, doc="firmware versions of the boards")
    @guarded("CorvaneController.FirmwareVersions")
    def FirmwareVersions(self) -> str:
        return self.link.call(lambda ctl: ctl.qver())

    @command
    @guarded("CorvaneController.Connect")
    def Connect(self) -> None:
        """Opens the line again (after Disconnect or a failure) and assigns the stages."""
        self.link.connect()

    @command
    def Disconnect(self) -> None:
        self.link.disconnect()

    @command(dtype_in=str, dtype_out=str, doc_in="TAL command lines", doc_out="answer lines")
    @guarded("CorvaneController.Tal")
    def Tal(self, lines: str) -> str:
        return self.link.call(lambda ctl: motion_calls.tal(ctl, lines), refresh=True)
