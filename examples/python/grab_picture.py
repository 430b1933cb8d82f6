#!/usr/bin/env python3
"""Takes one picture with camera board 0 and saves it: PNG with Pillow if installed, else PGM.

After lmvpci-install (the simulated board):
    python3 examples/python/grab_picture.py [file name without extension] [exposure ms]
"""

import sys

import numpy as np

from zrlmv.camera import Board, LmvError


def save(picture: np.ndarray, stem: str) -> str:
    try:
        from PIL import Image
    except ImportError:
        name = f"{stem}.pgm"
        with open(name, "wb") as out:  # 12-bit values in big-endian 16-bit samples
            out.write(b"P5\n%d %d\n4095\n" % (picture.shape[1], picture.shape[0]))
            out.write(picture.astype(">u2").tobytes())
        return name
    name = f"{stem}.png"
    Image.fromarray((picture >> 4).astype(np.uint8)).save(name)
    return name


def main(stem: str, exposure_ms: int) -> int:
    try:
        with Board(0) as board:
            picture = board.grab(exposure_ms)
    except LmvError as error:
        print(f"grab_picture: {error}", file=sys.stderr)
        return 1
    print(f"{save(picture, stem)}: {picture.shape[1]} x {picture.shape[0]}, "
          f"values {picture.min()}..{picture.max()}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else "picture",
                  int(sys.argv[2]) if len(sys.argv) > 2 else 10))
