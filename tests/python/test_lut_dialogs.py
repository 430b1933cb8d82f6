"""The LUT dialogs through the package: on a private X server, and without a display."""

import os
import shutil
import subprocess

import pytest

from zrlmv.camera import LmvError


@pytest.fixture
def x_display(monkeypatch):
    """A private Xvfb (never reset between clients) as DISPLAY for the library's dialogs."""
    if shutil.which("Xvfb") is None:
        pytest.fail("Xvfb is not installed (scripts/install-deps.sh installs it)")
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-noreset", "-nolisten",
                               "tcp", "-screen", "0", "1024x768x24"],
                              pass_fds=(write_end,), stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as announced:
        number = announced.readline().strip()  # Xvfb writes it once it accepts clients
    assert number, "Xvfb announced no display"
    monkeypatch.setenv("DISPLAY", f":{number}")
    yield
    server.terminate()
    server.wait(timeout=30)


def test_dialogs_open_show_values_and_close(board, x_display):
    board.set_bw_table(100, 3000)
    with board.bw_dialog as bw, board.colour_dialog as colour:
        bw.open(title="Python B/W")
        colour.open(notify=True, load_tables=False)
        bw_window, _ = bw.status()
        colour_window, _ = colour.status()
        assert bw_window != 0 and colour_window != 0 and bw_window != colour_window
        bw.open()  # a second open shows the same window
        assert bw.status()[0] == bw_window
        board.set_bw_table(200, 2500)  # a program's change is no user change
        assert bw.status() == (bw_window, False)
        assert board.bw_table()[:2] == (200, 2500)
        bw.lock(True)
        bw.lock(False)
    assert board.bw_dialog.status() == (0, False)
    assert board.colour_dialog.status() == (0, False)


def test_without_a_display_opening_fails_at_once(board, monkeypatch):
    monkeypatch.delenv("DISPLAY", raising=False)
    for dialog in (board.bw_dialog, board.colour_dialog):
        with pytest.raises(LmvError) as caught:
            dialog.open()
        assert caught.value.code == -31
        assert dialog.status() == (0, False)
        with pytest.raises(LmvError) as caught:
            dialog.lock(True)
        assert caught.value.code == -31
