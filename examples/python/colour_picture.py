#!/usr/bin/env python3
"""Takes one picture, converts it to colour and saves it: PNG with Pillow if installed, else PPM.

The library writes colour pixels as blue, green, red; bgr_to_rgb gives the red, green, blue view
image files want, without a copy. After lmvpci-install (the simulated board):
    python3 examples/python/colour_picture.py [file name without extension]
"""

import sys

import numpy as np

from zrlmv import camera
from zrlmv.camera import Board, LmvError


def save(rgb: np.ndarray, stem: str) -> str:
    try:
        from PIL import Image
    except ImportError:
        name = f"{stem}.ppm"
        with open(name, "wb") as out:
            out.write(b"P6\n%d %d\n255\n" % (rgb.shape[1], rgb.shape[0]))
            out.write(np.ascontiguousarray(rgb).tobytes())
        return name
    name = f"{stem}.png"
    Image.fromarray(np.ascontiguousarray(rgb)).save(name)
    return name


def main(stem: str) -> int:
    try:
        with Board(0) as board:
            picture = board.grab(10)
            board.set_colour_table(camera.ColourTable(0, 4095, 0, 4095, 0, 4095))
            colour = camera.convert_to_colour(picture)  # (height, width, 3) blue, green, red
    except LmvError as error:
        print(f"colour_picture: {error}", file=sys.stderr)
        return 1
    rgb = camera.bgr_to_rgb(colour)
    print(f"{save(rgb, stem)}: {rgb.shape[1]} x {rgb.shape[0]}, "
          f"means red {rgb[..., 0].mean():.0f}, green {rgb[..., 1].mean():.0f}, "
          f"blue {rgb[..., 2].mean():.0f}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else "colour"))
