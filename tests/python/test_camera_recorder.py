"""The recorder through the package: ring recordings stopped from another thread, averaging,
single transfers, the arrays over the arena, and the errors of each."""

import threading

import numpy as np
import pytest

from zrlmv import camera
from zrlmv.camera import RING, Board, CocSettings, LmvError

from conftest import wait_for

WIDTH, HEIGHT = 64, 32  # the table's region: two by one blocks of 32 pixels


def raises_code(code, call, *args, **kwargs):
    with pytest.raises(LmvError) as caught:
        call(*args, **kwargs)
    assert caught.value.code == code, str(caught.value)


def stamp(picture: np.ndarray) -> int:
    """The frame number the board wrote into the first two pixels."""
    return int(picture.flat[0]) | int(picture.flat[1]) << 16


@pytest.fixture
def recorder(camera_installed, monkeypatch):
    """Board 0 stamping frame numbers, a small table at 1 ms, the arena for 16 pictures."""
    monkeypatch.setenv("LMVSIM_FRAME_NUMBER", "1")
    with Board(0) as board:
        settings = CocSettings(roixmax=WIDTH // 32, roiymax=HEIGHT // 32, times="0,1,-1,-1")
        board.set_coc(board.test_coc(settings)[1])
        assert board.image_size() == (WIDTH, HEIGHT)
        assert camera.alloc_recorder(WIDTH * HEIGHT, 16) >= 16
        try:
            yield board
        finally:
            board.stop_dma()
            board.stop_coc(0)
            camera.free_recorder()


class Recording:
    """run_dma in a thread of its own, as an application runs it."""

    def __init__(self, board, *args, **kwargs):
        self.result, self.error = None, None
        self.thread = threading.Thread(target=self._run, args=(board, args, kwargs))
        self.thread.start()

    def _run(self, board, args, kwargs):
        try:
            self.result = board.run_dma(*args, **kwargs)
        except LmvError as e:
            self.error = e

    def finish(self, timeout=60):
        self.thread.join(timeout)
        assert not self.thread.is_alive(), "run_dma did not return"
        return self.result


def test_ring_stopped_from_another_thread_holds_consecutive_pictures(recorder):
    assert recorder.set_buffer_size(3, WIDTH, HEIGHT) == 3
    buffers = [recorder.buffer(n).array for n in (1, 2, 3)]
    assert all(b.shape == (HEIGHT, WIDTH) and b.dtype == np.uint16 for b in buffers)
    recorder.run_coc(0)
    recording = Recording(recorder, 1, 3, RING)
    wait_for(lambda: recorder.dma_counters().frames >= 10, 60, "ten recorded pictures")
    assert 1 <= recorder.dma_status() <= 3  # readable while the recording runs
    recorder.stop_dma()
    assert recording.finish() == 0 and recording.error is None
    counters = recorder.dma_counters()
    assert counters.frames >= 10 and counters.wraps == counters.frames // 3
    assert counters.errors == 0
    last = (counters.frames - 1) % 3
    newest = stamp(buffers[last])
    assert [stamp(buffers[(last - back) % 3]) for back in range(3)] == \
        [newest - back for back in range(3)]


def test_module_stop_reaches_the_current_board(recorder):
    recorder.set_buffer_size(2, WIDTH, HEIGHT)
    recorder.run_coc(0)
    recording = Recording(recorder, 1, 2, RING)
    wait_for(lambda: recorder.dma_counters().frames >= 2, 60, "two recorded pictures")
    with camera.board_lock:  # held by another user: the stop must not wait for it
        camera.stop_dma()
        assert recording.finish() == 0


def test_average_of_four_pictures_in_each_buffer(recorder):
    recorder.set_buffer_size(2, WIDTH, HEIGHT)
    recorder.run_coc(0)
    assert recorder.run_dma(1, 2, avg=4) == 0
    first, second = (stamp(recorder.buffer(n).array) for n in (1, 2))
    # Frame numbers f..f+3 average to f+1 (the sum shifted by two), the next buffer's 4 later.
    assert second - first == 4
    assert recorder.dma_counters().frames == 2
    raises_code(-3, recorder.run_dma, 1, 2, avg=4097)


def test_single_transfer_in_the_background(recorder):
    recorder.set_buffer_size(3, WIDTH, HEIGHT)
    recorder.buffer(2).array[:] = 0
    recorder.run_coc(4)  # one picture
    wait_for(lambda: recorder.dma_start_single(2) == 0, 60, "a picture to transfer")
    assert recorder.wait_single(60)
    picture = recorder.buffer(2).array
    assert picture.any() and not recorder.buffer(1).array.any()
    raises_code(-3, recorder.dma_done)  # nothing pending any more
    raises_code(-3, recorder.dma_start_single, 4)


def test_views_dropped_when_the_library_frees_or_recuts(recorder):
    recorder.set_buffer_size(2, WIDTH, HEIGHT)
    first = recorder.buffer(1)
    assert recorder.buffer(1) is first  # one view per buffer
    recorder.set_buffer_size(2, WIDTH, HEIGHT)
    with pytest.raises(ValueError):
        first.array
    again = recorder.buffer(1)
    camera.free_recorder()
    assert not again.valid
    raises_code(-23, recorder.buffer, 1)
    camera.alloc_recorder(WIDTH * HEIGHT, 16)  # for the fixture's own free


def test_recording_refuses_without_buffers_and_owns_the_arena(recorder):
    raises_code(-3, recorder.run_dma, 1, 1)  # no buffers cut: no buffer 1
    recorder.set_buffer_size(2, WIDTH, HEIGHT)
    raises_code(-3, recorder.run_dma, 1, 2, 7)  # no such mode
    raises_code(-3, recorder.buffer, 3)
    recorder.run_coc(0)
    recording = Recording(recorder, 1, 2, RING)
    wait_for(lambda: recorder.dma_counters().frames >= 1, 60, "a recorded picture")
    raises_code(-28, camera.free_recorder)
    raises_code(-28, recorder.set_buffer_size, 2, WIDTH, HEIGHT)
    recorder.stop_dma()
    assert recording.finish() == 0
