#!/usr/bin/env python3
"""A plain PyTango client of the demo: references and moves both stages, takes a picture and
saves it as a PGM file (8-bit, through the board's output table)."""

from __future__ import annotations

import sys
import time

import tango


def wait_on(proxy, timeout: float = 60.0) -> None:
    deadline = time.monotonic() + timeout
    while proxy.state() == tango.DevState.MOVING:
        if time.monotonic() > deadline:
            raise TimeoutError(f"{proxy.name()} still moving after {timeout} s")
        time.sleep(0.1)
    print(f"  {proxy.name()}: {proxy.state()} at {proxy.Position:.4f} ({proxy.status()})")


def main(picture: str) -> None:
    axes = [tango.DeviceProxy(n) for n in ("demo/corvane/a", "demo/corvane/b")]
    for axis in axes:  # one reference move per controller at a time
        print(f"reference {axis.name()} ({axis.Stage})")
        axis.Reference()
        wait_on(axis)
    for axis, target in zip(axes, (2.5, -4.0)):
        print(f"move {axis.name()} to {target}")
        axis.Position = target
    for axis in axes:
        wait_on(axis)

    camera = tango.DeviceProxy("demo/lumivert/0")
    camera.ExposureTime = 50
    frame = camera.Snap()
    image = camera.Image8
    with open(picture, "wb") as f:
        f.write(b"P5\n%d %d\n255\n" % (image.shape[1], image.shape[0]))
        f.write(image.tobytes())
    print(f"frame {frame}: {camera.Width} x {camera.Height}, CCD at {camera.CcdTemperature} C,"
          f" saved to {picture}")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "tango-demo.pgm")
