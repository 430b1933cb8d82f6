"""Controller command families against corvane-sim: each family's main path and one error."""


import numpy as np
import pytest

from zrlmv import motion, motion_errors
from zrlmv.motion import CorvaneError

E = motion_errors


@pytest.fixture
def ready(controller):
    """Axes A (LT-50-DC) and B (LT-100-STEP) with stages, initialised, declared at 0, servo on."""
    controller.cst({"A": "LT-50-DC", "B": "LT-100-STEP"})
    controller.ini("AB")
    controller.ron({"A": False, "B": False})
    controller.pos({"A": 0.0, "B": 0.0})
    controller.svo({"A": True, "B": True})
    return controller


def raises_number(number, call, *args, **kwargs):
    with pytest.raises(CorvaneError) as caught:
        call(*args, **kwargs)
    assert caught.value.number == number, str(caught.value)
    assert caught.value.text == motion.translate_error(number)
    return caught.value


def test_identification_and_stage_catalogue(controller):
    assert controller.qtvi().startswith("ABCDEFGHIJKLMNOPQRSTUVWXYZ1234567890@?")
    assert len(controller.qtvi()) == 64
    assert controller.qver().startswith("ZR_Corvane_TAL_DLL: 2.2.0.38")
    stages = controller.qvst()
    assert {"LT-50-DC", "LT-100-STEP"} <= set(stages) and stages[-1] == "NOSTAGE"
    assert len(controller.qhlp().splitlines()) == 73
    raises_number(E.ZR_CNTR_INVALID_STAGE_NAME, controller.cst, {"A": "NO-SUCH-STAGE"})


def test_stage_edit_dialogs_are_not_supported(controller):
    raises_number(E.COM_FUNCTION_NOT_SUPPORTED, controller.open_user_stages_edit_dialog)
    raises_number(E.COM_FUNCTION_NOT_SUPPORTED, controller.open_zr_stages_edit_dialog)


def test_error_read_through_qerr_and_error_check_flag(ready):
    assert ready.set_error_check(False) is True  # 1 after connecting
    assert ready.set_error_check(True) is False
    with pytest.raises(CorvaneError):
        ready.mov({"Z": 1.0})
    assert ready.qerr() == 0


def test_switches_home_and_factor(ready):
    assert ready.qref("AB") == {"A": True, "B": True}
    assert ready.qlim("AB") == {"A": True, "B": True}
    assert ready.is_reference_ok("AB") == {"A": True, "B": True}  # declared by pos
    ready.mov({"A": 1.0})
    ready.wait_on_target("A", timeout=60)
    ready.dfh("A")
    assert ready.qdfh("A")["A"] == pytest.approx(1.0, abs=1e-3)
    assert ready.qpos("A")["A"] == pytest.approx(0.0, abs=1e-3)
    ready.dff({"A": 2.0})
    assert ready.qdff("A") == {"A": 2.0}
    raises_number(E.ZR_CNTR_PARAMETER_OUT_OF_RANGE, ready.dff, {"A": -1.0})
    status = ready.get_status("AB", 6)
    assert status == {"A": 1, "B": 1}  # servo on
    assert set(ready.qsrg("AB")) == {"A", "B"}
    raises_number(E.ZR_CNTR_PARAMETER_OUT_OF_RANGE, ready.get_status, "A", 5)


def test_reference_move_runs_and_reports(ready):
    ready.ron({"A": True})
    ready.ref("A")
    ready.wait_reference_done(timeout=120)
    assert ready.get_ref_result("A") == {"A": True}
    assert ready.is_reference_ok("A") == {"A": True}
    assert ready.qpos("A")["A"] == pytest.approx(0.0, abs=0.01)  # home at the switch edge
    raises_number(E.ZR_UNKNOWN_AXIS_IDENTIFIER, ready.mnl, "Q")


def test_brakes(ready):
    assert ready.qbra() == ""  # neither stage has a brake
    ready.bra({"A": True})  # skipped: no brake
    assert ready.qsvo("A") == {"A": True}


def test_parameters_by_id(ready):
    values = ready.qspa([("A", 14), ("A", 60), ("B", 60), ("A", 73)])
    assert values[("A", 60)] == "LT-50-DC" and values[("B", 60)] == "LT-100-STEP"
    assert values[("A", 14)] == pytest.approx(2000.0)
    ready.spa({("A", 73): 1.25, ("A", 60): "MY-STAGE"})
    assert ready.qspa([("A", 73), ("A", 60)]) == {("A", 73): 1.25, ("A", 60): "MY-STAGE"}
    assert ready.qhpa().startswith("The following parameters are valid: \n")
    raises_number(E.ZR_INVALID_SPA_PARAMETER_ID, ready.spa, {("A", 282): 1.0})


def test_digital_and_analog_lines(controller):
    assert controller.channel_names() == controller.output_channel_names() == "ABCDEFGH"
    assert controller.qtio() == (8, 8)
    controller.dio({"A": True, "F": False})
    inputs = controller.qdio()
    assert list(inputs) == list("ABCDEFGH") and not any(inputs.values())
    assert controller.qtac() == 8
    volts = controller.qtav(controller.analog_channel(0, 1))
    assert 0.0 <= volts <= 5.0
    raises_number(E.ZR_CNTR_INVALID_ANALOG_INPUT, controller.qtav, 99)
    raises_number(E.ZR_CNTR_NO_DIGITAL_INPUT, controller.dio, {"Z": True})


def test_joysticks(ready):
    ids = ready.joystick_ids()
    assert ids == [1, 2] and ready.qtnj() == 2
    assert ready.qjax() == {1: "A", 2: "B"}
    ready.jdt({1: 1})
    ready.jon({1: True})
    assert ready.qjon() == {1: True, 2: False}
    raises_number(E.ZR_CNTR_AXIS_UNDER_JOYSTICK_CONTROL, ready.mov, {"A": 1.0})
    ready.jon({1: False})
    assert ready.qjbs() == {1: False, 2: False}
    assert all(-1.0 <= v <= 1.0 for v in ready.qjas().values())
    ready.jlt(1, 1, [0.5, -0.25])
    table = ready.qjlt(1, 2, [1]).wait(timeout=60)
    assert table.shape == (2, 1)
    np.testing.assert_allclose(table[:, 0], [0.5, -0.25], atol=1 / 1024)
    first = ready.qjlt(1, 1, [1])
    first.wait(timeout=60)
    ready.qjlt(1, 1, [1]).wait(timeout=60)
    with pytest.raises(ValueError, match="later qjlt"):
        first.wait(timeout=60)  # its buffer belongs to the library's next read now
    raises_number(E.ZR_CNTR_PARAMETER_OUT_OF_RANGE, ready.jlt, 1, 256, [0.1, 0.1])
    raises_number(E.ZR_CNTR_PARAMETER_OUT_OF_RANGE, ready.qjon, [7])


def test_trigger_outputs(ready):
    assert ready.trigger_output_ids() == [1, 2]
    ready.cto({(1, 2): "A", (1, 3): 8, (1, 10): 2.5})
    answer = ready.qcto([(1, 2), (1, 3)])
    assert list(answer) == [(1, 2), (1, 3)] and "A" in answer[(1, 2)] and "8" in answer[(1, 3)]
    ready.tro({1: True})
    assert ready.qtro() == {1: True, 2: False}
    ready.tro({1: False})
    raises_number(E.ZR_CNTR_PARAMETER_OUT_OF_RANGE, ready.cto, {(1, 3): 5})


def test_macro_recorded_listed_run_and_deleted(ready):
    with ready.macro("AMC3"):
        assert ready.is_recording_macro()
        ready.mvr({"A": 0.5})
        ready.wac("ONT? A = 1")
    assert not ready.is_recording_macro()
    assert "AMC3" in ready.qmac()
    lines = ready.qmac("AMC3")
    assert lines[0].startswith("MVR A") and lines[1] == "WAC ONT? A = 1"
    ready.mac_start("AMC3", repetitions=2)
    ready.mac_del("AMC3")
    assert "AMC3" not in ready.qmac()
    raises_number(E.ZR_CNTR_MACRO_RECORDING_NOT_ACTIVE, ready.mac_end)
    raises_number(E.ZR_CNTR_INVALID_MAC_PARAMETER, ready.mac_beg, "A-MC")


def test_macro_block_that_fails_stores_nothing(ready):
    with pytest.raises(CorvaneError) as caught:
        with ready.macro("AMC4"):
            ready.mvr({"B": 1.0})  # another board's axis
    assert caught.value.number == E.ZR_CNTR_MACRO_RECORD_ERROR
    assert not ready.is_recording_macro()
    assert "AMC4" not in ready.qmac()


def test_delay_waits_on_the_board(controller):
    controller.delay(10)
    raises_number(E.ZR_CNTR_PARAMETER_OUT_OF_RANGE, controller.delay, 70000)


def test_library_wide_settings():
    assert motion.set_max_nr_of_controllers(40) == 16
    previous = motion.check_features_by_controller_version(False)
    assert motion.check_features_by_controller_version(previous) is False
    assert motion.library().Corvane_GetAsyncBufferIndex(12345) == 0


def test_setup_dialog_without_display_raises_minus_one(monkeypatch):
    monkeypatch.delenv("DISPLAY", raising=False)
    monkeypatch.delenv("WAYLAND_DISPLAY", raising=False)
    with pytest.raises(CorvaneError) as caught:
        motion.Controller.interface_setup_dialog()
    assert caught.value.number == -1 and "Corvane_InterfaceSetupDlg" in str(caught.value)


def test_tal_lines_move_and_answer(ready):
    assert ready.tal("MOV A 1.5 B -2\nMOV? A B") == ["A=1.500000", "B=-2.000000"]
    ready.wait_on_target("AB", timeout=60)
    assert ready.tal("POS? A B") == ["A=1.500000", "B=-2.000000"]
    assert ready.tal(["POS? A", "SVO? B"]) == ["A=1.500000", "B=1"]
    assert ready.tal("") == []
    raises_number(E.ZR_CNTR_UNKNOWN_COMMAND, ready.tal, "XYZZY A")  # returns TRUE, error 2
    raises_number(E.ZR_UNKNOWN_AXIS_IDENTIFIER, ready.tal, "MOV X 1")
    assert ready.get_error() == 0  # read once by the failed call
    with ready.macro("AMC1"):
        assert ready.tal("MVR A 1") == []  # recorded, not carried out
    assert ready.tal("MAC? AMC1")[0] == "MVR A1"
    assert ready.tal("POS? A") == ["A=1.500000"]
