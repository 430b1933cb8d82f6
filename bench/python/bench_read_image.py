#!/usr/bin/env python3
"""board.read_image() in a loop against the C loop of the same reads, in the same run.

The simulated board delivers every picture at once (LMVSIM_IMAGE_MS=0); the table is the whole
640 x 480 sensor. Batches of 20 pictures alternate between the C loop (a small module calling
READ_IMAGE_12BIT, through ctypes) and the Python loop; the fastest batch of each counts, since a
shared machine disturbs that least. Prints the time per picture of both, their ratio (goal: at
most 1.2), and the median of the ratios of neighbouring batches as a second view; the raw ctypes
call of the same read is measured beside them, to tell the package's share from ctypes'.

    python3 bench/python/bench_read_image.py [build folder, default build/release]
"""

from __future__ import annotations

import ctypes
import os
import pathlib
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = pathlib.Path(__file__).resolve().parents[2]
BATCH = 20
ROUNDS = 40
GOAL = 1.2


def prepare(build: pathlib.Path, scratch: pathlib.Path) -> None:
    """Environment of the simulated board; must be in place before the library loads."""
    os.environ.update(WINPORT_REGISTRY_DIR=str(scratch / "registry"), LMVSIM_IMAGE_MS="0",
                      LMVSIM_LOCK_DIR=str(scratch),
                      ZRLMV_CAMERA_LIBRARY=str(build / "lib" / "liblmvntcam.so.1"))
    os.environ.pop("LMVSIM_TRACE", None)
    (scratch / "registry").mkdir()
    subprocess.run([str(build / "bin" / "lmvpci-install"), str(scratch / "camera")], check=True,
                   stdout=subprocess.DEVNULL)
    sys.path.insert(0, str(ROOT / "python"))


def fastest(run, rounds: int) -> float:
    """Seconds per picture of the fastest batch."""
    best = float("inf")
    for _ in range(rounds):
        start = time.perf_counter()
        run()
        best = min(best, (time.perf_counter() - start) / BATCH)
    return best


def measure(build: pathlib.Path) -> tuple[list[float], list[float], list[float]]:
    import numpy as np

    from zrlmv.camera import Board, CocSettings
    from zrlmv.camera import library as camera_library

    loop = ctypes.CDLL(str(build / "lib" / "zrlmv_bench_read_loop.so"))
    loop.zrlmv_bench_read_loop.argtypes = [ctypes.c_int, ctypes.c_int, ctypes.c_int,
                                           ctypes.POINTER(ctypes.c_ushort)]
    with Board(0) as board:
        board.set_coc(board.test_coc(CocSettings(times="0,1,-1,-1"))[1])
        width, height = board.image_size()
        out = np.empty((height, width), np.uint16)
        pointer = out.ctypes.data_as(ctypes.POINTER(ctypes.c_ushort))

        def c_batch():
            if loop.zrlmv_bench_read_loop(BATCH, width, height, pointer) != 0:
                raise RuntimeError("the C loop missed a picture")

        read = camera_library().READ_IMAGE_12BIT

        def ctypes_batch():  # the raw layer alone: what ctypes itself costs
            for _ in range(BATCH):
                if read(0, width, height, pointer) != 0:
                    raise RuntimeError("the ctypes loop missed a picture")

        def python_batch():
            for _ in range(BATCH):
                if board.read_image(out=out) is None:
                    raise RuntimeError("the Python loop missed a picture")

        board.run_coc(0)
        try:
            c_batch(), ctypes_batch(), python_batch()  # warm all three
            c_times, raw_times, py_times = [], [], []
            for _ in range(ROUNDS):  # in turn, so all see the same load
                c_times.append(fastest(c_batch, 1))
                raw_times.append(fastest(ctypes_batch, 1))
                py_times.append(fastest(python_batch, 1))
        finally:
            board.stop_coc(0)
    return c_times, raw_times, py_times


def main() -> int:
    build = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ROOT / "build" / "release")
    build = build.resolve()
    if not (build / "lib" / "zrlmv_bench_read_loop.so").is_file():
        print(f"bench_read_image: {build}/lib/zrlmv_bench_read_loop.so not built", file=sys.stderr)
        return 1
    scratch = pathlib.Path(tempfile.mkdtemp(prefix="zrlmv-bench-"))
    try:
        prepare(build, scratch)
        c_times, raw_times, py_times = measure(build)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    c_s, py_s = min(c_times), min(py_times)
    ratio = py_s / c_s
    paired = statistics.median(p / c for p, c in zip(py_times, c_times))
    print(f"640 x 480, fastest batch of {BATCH} of {ROUNDS}: C loop {c_s * 1e6:.1f} us/picture, "
          f"board.read_image() {py_s * 1e6:.1f} us/picture, ratio {ratio:.3f} "
          f"({'within' if ratio <= GOAL else 'above'} the goal {GOAL}); "
          f"median ratio of neighbouring batches {paired:.3f}; the raw ctypes loop "
          f"{min(raw_times) * 1e6:.1f} us/picture")
    return 0


if __name__ == "__main__":
    sys.exit(main())
