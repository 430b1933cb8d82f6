"""Board against the simulated camera board (lmvpci) through the driver seam."""

import threading
import warnings

import numpy as np
import pytest

from zrlmv import camera
from zrlmv.camera import Board, CocSettings, LmvError


def test_grab_is_a_12_bit_picture(board):
    picture = board.grab(10)
    assert picture.dtype == np.uint16 and picture.shape == (480, 640)
    assert 0 < picture.max() <= 4095 and picture.min() < picture.max()
    longer = board.grab(40)
    assert longer.mean() > picture.mean()  # brighter with longer exposure


def test_read_into_out_without_copy(board):
    board.grab(10)
    out = np.zeros((480, 640), dtype=np.uint16)
    board.run_coc(0)
    try:
        result = None
        for _ in range(50):
            result = board.read_image(out=out)
            if result is not None:
                break
    finally:
        board.stop_coc(0)
    assert result is out and out.max() > 0


def test_read_8bit(board):
    board.grab(10)
    board.run_coc(0)
    try:
        picture = None
        for _ in range(50):  # each read waits at most the image time
            picture = board.read_image_8bit()
            if picture is not None:
                break
    finally:
        board.stop_coc(0)
    assert picture.dtype == np.uint8 and picture.shape == (480, 640)


def test_wrong_out_array_is_refused_before_the_call(board):
    with pytest.raises(ValueError, match="uint16"):
        board.read_image(out=np.zeros((480, 640), dtype=np.int32))
    with pytest.raises(ValueError, match="shape"):
        board.read_image(out=np.zeros((10, 10), dtype=np.uint16))


def test_read_without_picture_returns_100(board):
    board.set_coc(board.test_coc(CocSettings(times="0,10,-1,-1"))[1])
    out = np.zeros(board.image_size()[::-1], dtype=np.uint16)
    assert board.read_into(out) == camera.NO_PICTURE == 100
    assert board.read_image() is None


def test_bad_coc_raises_minus_3(board):
    with pytest.raises(LmvError) as caught:
        board.set_coc(CocSettings(mode=77))
    assert caught.value.code == -3 and caught.value.text == "wrong parameter"
    assert "SET_COC" in str(caught.value)


def test_settings_round_trip(board):
    _result, fitted = board.test_coc(CocSettings(roixmin=2, roixmax=5, times="0,20,-1,-1"))
    board.set_coc(fitted)
    assert board.get_settings() == fitted
    assert board.image_size() == (4 * 32, 480)


def test_board_out_of_range_raises(camera_installed):
    with pytest.raises(LmvError) as caught:
        Board(10).open()
    assert caught.value.code == -3


def test_no_camera_is_a_warning_and_a_value(camera_installed, monkeypatch):
    monkeypatch.setenv("LMVSIM_NO_CAMERA_1", "1")
    monkeypatch.setenv("LMVSIM_BOARDS", "2")
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        with Board(1) as b:
            assert b.init_result == camera.NO_CAMERA
    assert any(issubclass(w.category, camera.LmvWarning) for w in caught)


def test_threads_share_boards_under_the_lock(board):
    errors = []

    def worker():
        try:
            for _ in range(5):
                assert board.image_size()[0] > 0
        except Exception as error:  # noqa: BLE001 (collected for the main thread)
            errors.append(error)

    threads = [threading.Thread(target=worker) for _ in range(3)]
    for t in threads:
        t.start()
    for t in threads:
        t.join(timeout=60)
    assert not errors
