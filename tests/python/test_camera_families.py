"""Board command families against the simulated camera board: main path and one error each."""

import ctypes
import os
import threading

import numpy as np
import pytest

from zrlmv import camera
from zrlmv.camera import Board, CocSettings, ColourTable, EventFd, LmvError


def raises_code(code, call, *args, **kwargs):
    with pytest.raises(LmvError) as caught:
        call(*args, **kwargs)
    assert caught.value.code == code, str(caught.value)
    return caught.value


@pytest.fixture
def running(board):
    """Board 0 with the whole sensor at 10 ms, the camera running continuously."""
    board.set_coc(board.test_coc(CocSettings(times="0,10,-1,-1"))[1])
    board.run_coc(0)
    yield board
    board.stop_coc(0)


def first_picture(read, attempts=100):
    for _ in range(attempts):  # each read waits at most the image time
        picture = read()
        if picture is not None:
            return picture
    raise AssertionError("no picture")


def test_identity_status_and_limits(board):
    assert board.camera_typ() == 2 and board.camera_ccd() == 1
    current = ctypes.c_int(99)
    assert camera.library().GET_CAMERA_ID(-1, ctypes.byref(current)) == 0
    assert board.camera_id() == current.value
    assert board.camera_stat(2) == board.status()[2] == -10  # CCD temperature, degrees C
    assert board.camera_stat(3) == board.status()[1] == 25  # electronics temperature
    assert board.ccd_size() == board.ccd_size(alias=True) == 640 * 480
    assert camera.current_board() == 0
    raises_code(-3, board.camera_stat, 99)
    raises_code(-3, board.check_board_memory, 0)
    board.check_board_memory(1024)


def test_time_limits_through_both_names(board):
    driver, image = board.timeouts()
    assert board.timeouts(alias=True) == (driver, image)
    assert board.set_timeouts(3000, 4000) == 4000
    assert board.timeouts() == (3000, 4000)
    board.set_timeouts(2500, 5000, alias=True)
    assert board.timeouts() == (2500, 5000)
    board.set_timeouts(1500, 2000)  # taken only above 1500 and 2000
    assert board.timeouts() == (2500, 5000)
    board.set_timeouts(driver, max(image, 2001))


def test_settings_through_every_name(board):
    wanted = CocSettings(roixmin=2, roixmax=5, times="0,20,-1,-1")
    result, fitted = board.test_coc(wanted)
    assert board.test_coc(wanted, alias=True) == (result, fitted)
    board.set_coc(fitted)
    assert board.get_coc_setting() == board.get_settings() == fitted
    raises_code(-23, board.get_coc_setting, size=3)  # text does not fit
    times = board.coc_times()
    assert set(times) == {"coc", "bel", "exp", "del"} and times["exp"] > 0
    assert isinstance(times["coc"], float)


def test_user_table_needs_its_end_word(board):
    # the library looks for the end word past the array's end: refused before the call
    with pytest.raises(ValueError, match="end word"):
        board.load_user_coc(np.zeros(16, dtype=np.uint16))
    too_long = np.zeros(230001, dtype=np.uint16)
    too_long[-1] = 0x0F00
    raises_code(-21, board.load_user_coc, too_long)
    board.load_user_aoi(64, 32)


def test_picture_status_and_clear(running):
    first_picture(running.read_image)
    assert isinstance(running.picture_waiting(), bool)
    running.clear_board_buffer()
    raises_code(-3, Board(25).clear_board_buffer)


def test_colour_picture_and_conversions(running):
    colour = first_picture(running.read_image_colour)
    assert colour.dtype == np.uint8 and colour.shape == (480, 640, 3)
    four = first_picture(lambda: running.read_image_colour(mode=2))
    assert four.shape == (480, 640, 4)
    picture = first_picture(running.read_image)
    out = np.zeros((480, 640, 3), np.uint8)
    assert camera.convert_to_colour(picture, out=out) is out and out.any()
    rgb = camera.bgr_to_rgb(out)
    assert rgb.base is not None and (rgb[..., 0] == out[..., 2]).all()
    raises_code(-3, camera.convert_to_colour, picture, mode=4)
    raises_code(-3, running.read_image_colour, mode=4)


def test_output_table_set_read_and_used(running):
    running.load_output_lut(np.full(4096, 7, np.uint8))
    picture = first_picture(running.read_image)
    assert (camera.convert_to_8bit(picture) == 7).all()
    running.set_bw_table(100, 1000, gamma=False)
    assert running.bw_table() == (100, 1000, False)
    flipped = camera.convert_to_8bit(picture, mode=1)
    np.testing.assert_array_equal(flipped, camera.convert_to_8bit(picture)[::-1])
    raises_code(-3, running.set_bw_table, 1000, 100)
    with pytest.raises(ValueError, match="4096"):
        running.load_output_lut(np.zeros(10, np.uint8))


def test_colour_tables(board):
    ramp = np.arange(4096) >> 4
    board.load_color_lut(ramp, ramp, ramp)
    board.load_pseudo_color_lut(*(np.arange(256),) * 3)
    table = ColourTable(10, 3000, 20, 3010, 30, 3020, gamma=True)
    board.set_colour_table(table)
    assert board.colour_table() == table
    raises_code(-3, board.set_colour_table, ColourTable(red_min=4095))


def test_automatic_levels_and_exposure(running):
    picture = first_picture(running.read_image)
    low, high = running.auto_minmax(picture)
    assert (low, high) == (picture.min(), picture.max())
    low2, high2 = running.auto_minmax(picture, percent=(5, 5))
    assert low <= low2 < high2 <= high
    running.stop_coc(0)
    result, exposure, shot = running.auto_range(1, picture=True)
    assert result in (0, 100, 101, 102) and exposure > 0 and shot.shape == (480, 640)
    assert running.auto_color(picture) in (0, 100)
    raises_code(-3, running.auto_color, picture[:1, :1])


def test_event_when_a_picture_lands_and_transfer_by_event(board):
    board.set_coc(board.test_coc(CocSettings(times="0,10,-1,-1"))[1])
    with EventFd() as landed, EventFd() as moved:
        board.begin_wait_image(landed)
        board.run_coc(4)  # one picture
        try:
            assert landed.wait(30)
            transfer = board.dma_image_start(moved)
            assert transfer is not None
            picture = transfer.wait(30)
        finally:
            board.end_wait_image()
            board.stop_coc(0)
    assert picture.shape == (480, 640) and picture.max() > 0


def test_event_closed_while_registered_stays_open_for_the_library(board):
    event = EventFd()
    fd = event.fileno()
    board.begin_wait_image(event)
    event.close()  # still registered: the descriptor must not be reused yet
    assert event.closed and os.fstat(fd)
    with pytest.raises(ValueError, match="closed"):
        board.begin_wait_image(event)
    board.end_wait_image()
    with pytest.raises(OSError):
        os.fstat(fd)


def test_closing_the_board_ends_its_picture_event(camera_installed):
    event = EventFd()
    with Board(0) as b:
        b.begin_wait_image(event)
        event.close()
        assert event.fd >= 0  # still the board's
    assert event.fd == -1  # closed once the board let go of it


def test_transfer_without_picture_is_none_and_a_pipe_is_refused(board):
    board.set_coc(board.test_coc(CocSettings(times="0,10,-1,-1"))[1])
    with EventFd() as event:
        assert board.dma_image_start(event) is None  # 100: no picture
    reader, writer = os.pipe()
    try:
        pipe = EventFd()
        os.close(pipe.fd)
        pipe.fd = reader  # a descriptor that is no eventfd
        raises_code(-3, board.begin_wait_image, pipe)
        assert pipe._users == 0  # a refused registration holds nothing
    finally:
        os.close(reader)
        os.close(writer)


def test_device_buffer_view_dropped_when_freed(board):
    buffer = board.alloc_phys()
    view = buffer.array
    assert view.shape == (131072,) and view.dtype == np.uint8
    view[:4] = [1, 2, 3, 4]
    assert list(buffer.array[:4]) == [1, 2, 3, 4]
    buffer.free()
    assert not buffer.memory.valid
    with pytest.raises(ValueError, match="freed"):
        buffer.array
    buffer.free()  # twice is harmless
    first, second = board.alloc_phys(), board.alloc_phys()
    assert first.number == buffer.number and second.number != first.number
    first.free(), second.free()
    raises_code(-3, Board(25).alloc_phys)


def test_views_of_a_kind_dropped_on_every_board(board):
    from zrlmv._camera_memory import release_everywhere
    buffer = board.alloc_phys()
    other = camera.MemoryViews()
    other.add("device buffer", 1, camera.LibraryMemory(buffer.memory.address, (4,), np.uint8,
                                                       "a second view"))
    release_everywhere("device buffer")
    assert not buffer.memory.valid and other.keys("device buffer") == []
    board.free_phys(buffer)  # the buffer itself is still the board's to free
    again = board.alloc_phys()  # the next free buffer: the same one again
    assert again.number == buffer.number
    again.free()


def test_close_frees_device_buffers(camera_installed):
    with Board(0) as b:
        buffer = b.alloc_phys()
    assert not buffer.memory.valid


def test_camera_dialog_needs_its_module(board):
    raises_code(-13, board.lock_camera_dialog, True)
    raises_code(-13, board.read_registry_values)
    raises_code(-13, board.write_registry_values)


def test_library_wide_switches(tmp_path):
    log = tmp_path / "lmv.log"
    camera.enable_message_log(1, str(log))
    camera.enable_message_log(0)
    assert log.is_file()
    raises_code(-29, camera.enable_message_log, 1, str(tmp_path / "no" / "such" / "dir.log"))
    assert camera.enable_error_messages(False) == 0
    assert camera.palette() is None


def test_a_read_in_one_thread_while_another_uses_the_board(running):
    pictures = []
    reader = threading.Thread(target=lambda: pictures.append(first_picture(running.read_image)))
    reader.start()
    for _ in range(5):
        assert running.status()[2] == -10
    reader.join(timeout=120)
    assert pictures and pictures[0].shape == (480, 640)


def test_colour_board_channels_and_white_balance(camera_installed, monkeypatch):
    monkeypatch.setenv("LMVSIM_BOARDS", "2")
    monkeypatch.setenv("LMVSIM_CCD_TYP_1", "2")  # a colour CCD: green full, red 3/4, blue 1/2
    with Board(1) as b:
        b.set_colour_table(ColourTable(0, 4095, 0, 4095, 0, 4095))
        picture = b.grab(20)
        colour = camera.convert_to_colour(picture)
        blue, green, red = (colour[..., i].mean() for i in range(3))
        assert green > red > blue
        assert b.auto_color(picture) == 0
        table = b.colour_table()
        assert table.blue_max < table.red_max < table.green_max  # weaker channels amplified
        balanced = camera.convert_to_colour(picture)
        means = [balanced[..., i].mean() for i in range(3)]
        assert max(means) - min(means) < green - blue
