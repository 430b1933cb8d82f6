#!/usr/bin/env python3
"""Continuous acquisition into one array, shown as frames per second; a second thread stops it.

Reads run without the GIL, so the timer thread runs while the main thread waits for pictures.
After lmvpci-install (the simulated board):
    python3 examples/python/acquire_fps.py [seconds] [exposure ms]
"""

import sys
import threading
import time

import numpy as np

from zrlmv.camera import Board, CocSettings, LmvError


def main(seconds: float, exposure_ms: int) -> int:
    stop = threading.Event()
    try:
        with Board(0) as board:
            board.set_coc(board.test_coc(CocSettings(times=f"0,{exposure_ms},-1,-1"))[1])
            width, height = board.image_size()
            picture = np.empty((height, width), np.uint16)  # filled in place, never copied
            timer = threading.Timer(seconds, stop.set)
            frames, start = 0, time.monotonic()
            board.run_coc(0)
            timer.start()
            try:
                while not stop.is_set():
                    if board.read_image(out=picture) is not None:
                        frames += 1
            finally:
                timer.cancel()
                board.stop_coc(0)
            elapsed = time.monotonic() - start
    except LmvError as error:
        print(f"acquire_fps: {error}", file=sys.stderr)
        return 1
    print(f"{frames} pictures of {width} x {height} in {elapsed:.2f} s: "
          f"{frames / elapsed:.1f} frames per second, last mean {picture.mean():.0f}")
    return 0


if __name__ == "__main__":
    sys.exit(main(float(sys.argv[1]) if len(sys.argv) > 1 else 2.0,
                  int(sys.argv[2]) if len(sys.argv) > 2 else 10))
