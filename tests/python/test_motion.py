"""Controller against corvane-sim over a pseudo-terminal."""

import pytest

from zrlmv import motion, motion_errors
from zrlmv.motion import Controller, CorvaneError


@pytest.fixture
def ready(controller):
    """Axes A (LT-50-DC) and B (LT-100-STEP) with stages, initialised, declared at 0, servo on."""
    controller.cst({"A": "LT-50-DC", "B": "LT-100-STEP"})
    controller.ini("AB")
    controller.ron({"A": False, "B": False})
    controller.pos({"A": 0.0, "B": 0.0})
    controller.svo({"A": True, "B": True})
    return controller


def test_connect_and_identify(controller):
    assert controller.connected
    assert controller.qidn().startswith("Telvar Motion,Corvane TAL Network")
    assert controller.qsai_all() == "AB"
    assert controller.qcst("AB") == {"A": "NOSTAGE", "B": "NOSTAGE"}


def test_move_and_wait_on_target(ready):
    ready.mov({"A": 1.5, "B": -2})
    assert ready.qmov("AB") == pytest.approx({"A": 1.5, "B": -2.0})
    positions = ready.wait_on_target("AB", timeout=60)
    assert positions == pytest.approx({"A": 1.5, "B": -2.0}, abs=1e-3)
    assert ready.qont() == {"A": True, "B": True}  # "" means every axis with a stage
    assert ready.qsvo("B") == {"B": True}


def test_relative_move_and_velocity(ready):
    ready.vel({"A": 2.0})
    assert ready.qvel("A") == pytest.approx({"A": 2.0})
    ready.mvr({"A": 0.25})
    assert ready.wait_on_target("A", timeout=60)["A"] == pytest.approx(0.25, abs=1e-3)


def test_unknown_axis_raises_with_number_and_text(ready):
    with pytest.raises(CorvaneError) as caught:
        ready.mov({"Z": 1.0})
    error = caught.value
    assert error.number == motion_errors.ZR_UNKNOWN_AXIS_IDENTIFIER == -1001
    assert error.text == "Unknown axis identifier"
    assert "Corvane_MOV" in str(error) and "ZR_UNKNOWN_AXIS_IDENTIFIER" in str(error)
    assert ready.get_error() == 0  # the error was read once, and cleared


def test_move_outside_travel_is_refused(ready):
    with pytest.raises(CorvaneError) as caught:
        ready.mov({"A": 1000.0})
    assert caught.value.number == motion_errors.ZR_CNTR_POSITION_OUT_OF_LIMITS


def test_failed_connect_raises_minus_one(corvane_sim):
    with pytest.raises(CorvaneError) as caught:
        Controller.connect_rs232(61, 57600, max_controllers=1)  # no WINPORT_COM61, no port
    assert caught.value.number == -1


def test_closed_controller_is_gone(corvane_sim):
    with Controller.connect_rs232(corvane_sim, 57600, max_controllers=2) as ctl:
        ident = ctl.id
    assert ctl.id == -1
    assert not motion.library().Corvane_IsConnected(ident)
