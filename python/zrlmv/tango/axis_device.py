"""CorvaneAxis: one axis of a CorvaneController in the same server process."""

from __future__ import annotations

import time
from typing import Optional

import tango
from tango.server import Device, attribute, command, device_property

from .errors import guarded
from .link import AxisSnapshot, ControllerLink, LinkState, LinkUnavailable
from . import motion_calls, registry

_LINK_STATES = {LinkState.OFF: tango.DevState.OFF, LinkState.FAULT: tango.DevState.FAULT}


def axis_state(snapshot: Optional[AxisSnapshot]) -> tuple:
    """(state, status text) of an axis on a connected line."""
    if snapshot is None or snapshot.stage == "NOSTAGE":
        return tango.DevState.ON, "no stage assigned"
    if snapshot.referencing:
        return tango.DevState.MOVING, "reference move running"
    if snapshot.moving:
        return tango.DevState.MOVING, "moving"
    if snapshot.negative_limit or snapshot.positive_limit:
        side = "negative" if snapshot.negative_limit else "positive"
        return tango.DevState.ALARM, f"at the {side} limit switch"
    if not snapshot.referenced:
        return tango.DevState.ON, "not referenced (run Reference)"
    return tango.DevState.ON, "on target" if snapshot.on_target else "standing"


class CorvaneAxis(Device):
    """An axis: Position in the stage's unit; writing it starts a move and returns at once."""

    Controller = device_property(dtype=str, mandatory=True,
                                 doc="name of the CorvaneController device of this server")
    Axis = device_property(dtype=str, mandatory=True, doc="axis identifier (one character)")

    def init_device(self) -> None:
        super().init_device()
        self.axis = self.Axis.strip().upper()
        self._applied_travel = None

    @property
    def link(self) -> ControllerLink:
        link = registry.find(self.Controller)
        if link is None:
            raise LinkUnavailable(f"controller device {self.Controller} is not in this server")
        return link

    def _snapshot(self) -> Optional[AxisSnapshot]:
        return self.link.snapshot(self.axis)

    def always_executed_hook(self) -> None:
        link = registry.find(self.Controller)
        snapshot = link.snapshot(self.axis) if link else None
        if snapshot is not None and snapshot.travel != self._applied_travel:
            self._apply_travel(snapshot.travel)

    def _apply_travel(self, travel) -> None:
        position = self.get_device_attr().get_w_attr_by_name("Position")
        if travel is None:
            position.set_min_value(-1e300)
            position.set_max_value(1e300)
        else:
            position.set_min_value(travel[0])
            position.set_max_value(travel[1])
        self._applied_travel = travel

    def _state_and_status(self) -> tuple:
        link = registry.find(self.Controller)
        if link is None:
            return tango.DevState.FAULT, f"controller device {self.Controller} not in this server"
        if link.state is not LinkState.ON:
            return _LINK_STATES[link.state], link.status_text()
        return axis_state(link.snapshot(self.axis))

    def dev_state(self) -> tango.DevState:
        state, _ = self._state_and_status()
        self.set_state(state)
        return state

    def dev_status(self) -> str:
        state, text = self._state_and_status()
        self.set_state(state)
        self.set_status(text)
        return text

    # ---- attributes ---------------------------------------------------------------------------
    @attribute(dtype=float, access=tango.AttrWriteType.READ_WRITE,
               doc="position in the stage's unit; writing starts a move")
    @guarded("CorvaneAxis.Position")
    def Position(self):
        snapshot = self._require_snapshot()
        if snapshot.position is None:
            raise LinkUnavailable("position not known yet")
        quality = (tango.AttrQuality.ATTR_CHANGING if snapshot.busy
                   else tango.AttrQuality.ATTR_VALID)
        return snapshot.position, time.time(), quality

    @Position.write
    @guarded("CorvaneAxis.Position")
    def Position(self, value: float) -> None:
        self.link.call(lambda ctl: ctl.mov({self.axis: value}), refresh=True)

    @attribute(dtype=float, access=tango.AttrWriteType.READ_WRITE,
               doc="velocity in the stage's unit per second")
    @guarded("CorvaneAxis.Velocity")
    def Velocity(self) -> float:
        return self.link.call(lambda ctl: ctl.qvel(self.axis)[self.axis])

    @Velocity.write
    @guarded("CorvaneAxis.Velocity")
    def Velocity(self, value: float) -> None:
        self.link.call(lambda ctl: ctl.vel({self.axis: value}))

    @attribute(dtype=bool)
    def OnTarget(self) -> bool:
        return self._require_snapshot().on_target

    @attribute(dtype=bool)
    def Referenced(self) -> bool:
        return self._require_snapshot().referenced

    @attribute(dtype=str, access=tango.AttrWriteType.READ_WRITE,
               doc="stage name from the stage database; writing assigns and initialises it")
    def Stage(self) -> str:
        return self._require_snapshot().stage

    @Stage.write
    @guarded("CorvaneAxis.Stage")
    def Stage(self, name: str) -> None:
        self.link.assign_stage(self.axis, name)

    @guarded("CorvaneAxis")
    def _require_snapshot(self) -> AxisSnapshot:
        link = self.link
        if link.state is not LinkState.ON:
            raise LinkUnavailable(link.status_text())
        snapshot = link.snapshot(self.axis)
        if snapshot is None:
            raise LinkUnavailable(f"no board for axis {self.axis}")
        return snapshot

    # ---- commands -----------------------------------------------------------------------------
    @command
    @guarded("CorvaneAxis.Reference")
    def Reference(self) -> None:
        """Starts the reference move of this axis; returns once it is under way."""
        self.link.call(lambda ctl: ctl.ref(self.axis), refresh=True)

    @command
    @guarded("CorvaneAxis.Halt")
    def Halt(self) -> None:
        """Stops this axis smoothly."""
        self.link.call(lambda ctl: ctl.hlt(self.axis), refresh=True)

    @command
    @guarded("CorvaneAxis.Stop")
    def Stop(self) -> None:
        """Stops every axis of the controller at once."""
        self.link.call(lambda ctl: ctl.stp(), refresh=True)

    @command
    @guarded("CorvaneAxis.DefineHome")
    def DefineHome(self) -> None:
        """Makes the current place the home position; the travel range follows."""
        self.link.call(lambda ctl: motion_calls.define_home(ctl, self.axis), refresh=True)
        self.link.reload_travel(self.axis)
