#!/usr/bin/env python3
"""Waits for a picture on an eventfd instead of polling, then moves it by a signalled transfer.

EventFd objects are plain descriptors: they also work with select, poll or asyncio's add_reader.
After lmvpci-install (the simulated board):
    python3 examples/python/wait_for_picture.py [exposure ms]
"""

import sys
import time

from zrlmv.camera import Board, CocSettings, EventFd, LmvError


def main(exposure_ms: int) -> int:
    try:
        with Board(0) as board, EventFd() as landed, EventFd() as moved:
            board.set_coc(board.test_coc(CocSettings(times=f"0,{exposure_ms},-1,-1"))[1])
            board.begin_wait_image(landed)
            start = time.monotonic()
            board.run_coc(4)  # one picture
            try:
                if not landed.wait(timeout=10):
                    print("wait_for_picture: no picture within 10 s", file=sys.stderr)
                    return 1
                waited = time.monotonic() - start
                transfer = board.dma_image_start(moved)
                picture = transfer.wait(timeout=10)  # filled by the library, signalled on moved
            finally:
                board.end_wait_image()
                board.stop_coc(0)
    except (LmvError, TimeoutError) as error:
        print(f"wait_for_picture: {error}", file=sys.stderr)
        return 1
    print(f"picture landed after {waited * 1000:.0f} ms; transferred {picture.shape[1]} x "
          f"{picture.shape[0]}, mean {picture.mean():.0f}")
    return 0


if __name__ == "__main__":
    sys.exit(main(int(sys.argv[1]) if len(sys.argv) > 1 else 10))
