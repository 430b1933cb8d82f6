"""CorvaneServer against corvane-sim: clients see axes move, stop, fail and recover."""

from __future__ import annotations

import pytest
import tango

from conftest import corvane_servers, wait_for, wait_state
from settings import AXIS_A, AXIS_B, CONTROLLER

ON, MOVING, ALARM, FAULT, OFF = (tango.DevState.ON, tango.DevState.MOVING, tango.DevState.ALARM,
                                 tango.DevState.FAULT, tango.DevState.OFF)


def library_text(name: str) -> str:
    from zrlmv import motion, motion_errors
    return motion.translate_error(getattr(motion_errors, name))


def reference(proxy) -> None:
    proxy.Reference()
    wait_state(proxy, ON)
    assert proxy.Referenced


@pytest.fixture(scope="module")
def referenced(motion):
    """Both axes referenced (one reference move per controller at a time)."""
    for name in (AXIS_A, AXIS_B):
        reference(motion.proxy(name))
    return motion


def test_controller_identifies_its_chain(motion):
    ctl = motion.proxy(CONTROLLER)
    assert ctl.state() in (ON, MOVING)
    assert ctl.Identification.startswith("Telvar Motion,Corvane TAL Network")
    assert ctl.Axes == "AB"
    assert ctl.FirmwareVersions


def test_axes_carry_their_stages_and_travel(motion):
    a, b = motion.proxy(AXIS_A), motion.proxy(AXIS_B)
    assert (a.Stage, b.Stage) == ("LT-50-DC", "LT-100-STEP")
    config = a.get_attribute_config("Position")
    assert (float(config.min_value), float(config.max_value)) == (-25.0, 25.0)
    assert float(b.get_attribute_config("Position").max_value) == 50.0


def test_reference_then_moves_on_two_axes(referenced):
    a, b = referenced.proxy(AXIS_A), referenced.proxy(AXIS_B)
    assert a.Position == pytest.approx(0.0, abs=1e-3)
    a.Position = 1.5
    b.Position = -2.0
    wait_state(a, ON)
    wait_state(b, ON)
    assert a.Position == pytest.approx(1.5, abs=1e-3)
    assert b.Position == pytest.approx(-2.0, abs=1e-3)
    assert a.OnTarget and b.OnTarget
    assert referenced.proxy(CONTROLLER).state() == ON


def test_write_returns_while_the_axis_moves_and_halt_stops_it(referenced):
    a = referenced.proxy(AXIS_A)
    a.Velocity = 2.0
    assert a.Velocity == pytest.approx(2.0)
    start = a.Position
    a.Position = 20.0
    assert a.state() == MOVING
    assert referenced.proxy(CONTROLLER).state() == MOVING
    seen = wait_for(lambda: start + 0.05 < a.Position < 19.0 and a.Position, 30, "a move under way")
    a.Halt()
    wait_state(a, ON)
    stopped = a.Position
    assert seen <= stopped < 19.99
    assert a.read_attribute("Position").quality == tango.AttrQuality.ATTR_VALID


def test_out_of_travel_position_is_refused_and_nothing_moves(referenced):
    a = referenced.proxy(AXIS_A)
    before = a.Position
    with pytest.raises(tango.DevFailed):
        a.Position = 1000.0
    assert a.state() == ON
    assert a.Position == pytest.approx(before, abs=1e-6)


def test_unknown_stage_fails_with_the_library_text(referenced):
    b = referenced.proxy(AXIS_B)
    before = b.Position
    with pytest.raises(tango.DevFailed) as caught:
        b.Stage = "NO-SUCH-STAGE"
    error = caught.value.args[0]
    assert error.reason == "ZR_CNTR_INVALID_STAGE_NAME"
    assert library_text("ZR_CNTR_INVALID_STAGE_NAME") in error.desc
    assert b.Stage == "LT-100-STEP"
    assert b.state() == ON and b.Position == pytest.approx(before, abs=1e-6)


def test_limit_switch_puts_the_axis_in_alarm_until_it_moves_off(referenced):
    a = referenced.proxy(AXIS_A)
    a.Velocity = 10.0
    a.Position = 22.0  # the positive switch of this chain sits at 20 mm
    wait_state(a, ALARM)
    assert "positive limit switch" in a.status()
    assert a.Position < 22.0
    a.Position = 0.0
    wait_state(a, ON)
    assert a.Position == pytest.approx(0.0, abs=1e-3)


def test_define_home_moves_the_travel_range(referenced):
    b = referenced.proxy(AXIS_B)
    b.Position = 10.0
    wait_state(b, ON)
    b.DefineHome()
    assert b.Position == pytest.approx(0.0, abs=1e-3)
    config = b.get_attribute_config("Position")
    assert (float(config.min_value), float(config.max_value)) == pytest.approx((-60.0, 40.0))
    b.Position = -10.0  # back to the reference edge
    wait_state(b, ON)
    assert b.Position == pytest.approx(-10.0, abs=1e-3)


def test_tal_lines_reach_the_controller(referenced):
    from zrlmv import motion
    ctl = referenced.proxy(CONTROLLER)
    if hasattr(motion.library().cdll, "Corvane_TalCommandset"):
        answer = ctl.Tal("POS? A")
        assert answer.startswith("A=")
    else:
        with pytest.raises(tango.DevFailed) as caught:
            ctl.Tal("POS? A")
        assert "no TAL command-string interface" in caught.value.args[0].desc
        assert ctl.state() == ON  # a missing function is no fault of the line


def test_disconnect_turns_everything_off_and_connect_back_on(lone_simulator):
    with corvane_servers(lone_simulator) as servers:
        ctl, a = servers.proxy(CONTROLLER), servers.proxy(AXIS_A)
        wait_state(a, ON)
        ctl.Disconnect()
        assert (ctl.state(), a.state()) == (OFF, OFF)
        with pytest.raises(tango.DevFailed):
            a.Position = 1.0
        ctl.Connect()
        assert (ctl.state(), a.state()) == (ON, ON)
        assert not a.Referenced
        with pytest.raises(tango.DevFailed) as caught:
            a.Position = 1.0  # a new connection is not referenced
        error = caught.value.args[0]
        assert error.reason == "ZR_CNTR_MOVE_WITHOUT_REF_OR_NO_SERVO"
        assert library_text("ZR_CNTR_MOVE_WITHOUT_REF_OR_NO_SERVO") in error.desc
        assert a.state() == ON


def test_vanished_line_faults_the_devices_and_connect_recovers(lone_simulator):
    with corvane_servers(lone_simulator) as servers:
        ctl, a, b = (servers.proxy(n) for n in (CONTROLLER, AXIS_A, AXIS_B))
        wait_state(a, ON)
        lone_simulator.kill()
        wait_state(ctl, FAULT, timeout=30)  # the next poll finds the line gone
        assert a.state() == FAULT and b.state() == FAULT
        assert library_text("NOT_CONNECTED_ERROR") in ctl.status()
        with pytest.raises(tango.DevFailed):
            a.Position
        lone_simulator.start()
        ctl.Connect()
        assert (ctl.state(), a.state(), b.state()) == (ON, ON, ON)
        assert a.Stage == "LT-50-DC"


def test_stop_ends_the_moves_of_every_axis(referenced):
    a, b = referenced.proxy(AXIS_A), referenced.proxy(AXIS_B)
    starts = a.Position, b.Position
    a.Velocity, b.Velocity = 1.0, 1.0
    a.Position, b.Position = starts[0] + 10.0, starts[1] + 10.0
    assert (a.state(), b.state()) == (MOVING, MOVING)
    a.Stop()
    wait_state(a, ON)
    wait_state(b, ON)
    assert a.Position < starts[0] + 9.0 and b.Position < starts[1] + 9.0
    b.Position = starts[1]  # the line takes moves again
    wait_state(b, ON)
    assert b.Position == pytest.approx(starts[1], abs=1e-3)
