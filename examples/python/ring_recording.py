#!/usr/bin/env python3
"""A ring recording into the recorder's buffers, shown as frames per second.

run_dma blocks until the recording ends, so a second thread (a timer here) stops it. The
buffers are numpy arrays over the library's memory: the newest picture is read in place.
After lmvpci-install (the simulated board):
    python3 examples/python/ring_recording.py [seconds] [exposure ms] [buffers]
"""

import sys
import threading
import time

from zrlmv import camera
from zrlmv.camera import RING, Board, CocSettings, LmvError


def main(seconds: float, exposure_ms: int, buffers: int) -> int:
    try:
        with Board(0) as board:
            board.set_coc(board.test_coc(CocSettings(times=f"0,{exposure_ms},-1,-1"))[1])
            width, height = board.image_size()
            camera.alloc_recorder(width * height, buffers + 1)  # and the hidden work buffer
            try:
                buffers = board.set_buffer_size(buffers, width, height)
                board.run_coc(0)
                timer = threading.Timer(seconds, board.stop_dma)
                start = time.monotonic()
                timer.start()
                try:
                    board.run_dma(1, buffers, RING)  # returns once the timer stopped it
                finally:
                    timer.cancel()
                    board.stop_coc(0)
                elapsed = time.monotonic() - start
                counters = board.dma_counters()
                newest = board.buffer((counters.frames - 1) % buffers + 1).array
                mean = newest.mean() if counters.frames else 0.0
            finally:
                camera.free_recorder()
    except LmvError as error:
        print(f"ring_recording: {error}", file=sys.stderr)
        return 1
    print(f"{counters.frames} pictures of {width} x {height} in {elapsed:.2f} s: "
          f"{counters.frames / elapsed:.1f} frames per second through a ring of {buffers}, "
          f"{counters.wraps} wraps, {counters.dropped} dropped, {counters.errors} errors, "
          f"newest mean {mean:.0f}")
    return 0


if __name__ == "__main__":
    sys.exit(main(float(sys.argv[1]) if len(sys.argv) > 1 else 2.0,
                  int(sys.argv[2]) if len(sys.argv) > 2 else 10,
                  int(sys.argv[3]) if len(sys.argv) > 3 else 8))
