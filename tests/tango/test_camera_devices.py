"""LumivertServer against the simulated camera boards."""

from __future__ import annotations

import threading

import numpy as np
import pytest
import tango

from conftest import wait_for
from settings import CAMERA_FRESH, CAMERA_MISSING


def test_snap_gives_the_picture_the_package_reads(cameras):
    # Boards 2 (device) and 0 (package) are used by this test alone, so both give their
    # first picture with the same settings.
    from zrlmv import camera
    device = cameras.proxy(CAMERA_FRESH)
    assert device.state() == tango.DevState.ON
    assert device.FrameNumber == 0
    assert device.Snap() == 1
    image = device.Image
    with camera.Board(0) as board:
        expected = board.grab(10)
    assert image.dtype == np.uint16 and image.shape == (480, 640)
    assert np.array_equal(image, expected)
    assert image.max() > 0


def test_image8_is_the_library_conversion_of_image(camera_device):
    from zrlmv import camera
    camera_device.Snap()
    image, image8 = camera_device.Image, camera_device.Image8
    expected = np.empty(image.shape, dtype=np.uint8)
    lib = camera.library()
    with camera.Board(0):
        camera.check(lib.CONVERT_BUFFER_12TO8(
            0, image.shape[1], image.shape[0],
            image.ctypes.data_as(camera.ctypes.POINTER(camera.ctypes.c_short)),
            expected.ctypes.data_as(camera.ctypes.POINTER(camera.ctypes.c_ubyte))))
    assert image8.dtype == np.uint8
    assert np.array_equal(image8, expected)


def test_geometry_temperature_and_exposure(camera_device):
    assert (camera_device.Width, camera_device.Height) == (640, 480)
    assert camera_device.CcdTemperature == -10
    camera_device.ExposureTime = 5
    assert camera_device.ExposureTime == 5
    camera_device.Snap()
    short = camera_device.Image.mean()
    camera_device.ExposureTime = 200
    assert camera_device.ExposureTime == 200
    camera_device.Snap()
    assert camera_device.Image.mean() > short
    camera_device.ExposureTime = 10


def test_every_snap_pushes_events_without_gaps(camera_device):
    seen = {"ready": [], "frames": []}
    done = threading.Event()

    def on_ready(event):
        if not event.err:
            seen["ready"].append(event.ctr)

    def on_frame(event):
        if not event.err and event.attr_value is not None:
            seen["frames"].append(event.attr_value.value)
            if len(seen["frames"]) > 5:
                done.set()

    ids = [camera_device.subscribe_event("Image", tango.EventType.DATA_READY_EVENT, on_ready),
           camera_device.subscribe_event("FrameNumber", tango.EventType.CHANGE_EVENT, on_frame)]
    try:
        first = camera_device.FrameNumber
        numbers = [camera_device.Snap() for _ in range(5)]
        assert numbers == list(range(first + 1, first + 6))
        wait_for(done.is_set, 30, "five frame events")
        assert seen["frames"] == list(range(first, first + 6))  # first: value at subscription
        wait_for(lambda: len(seen["ready"]) == 5, 30, "five data-ready events")
        assert seen["ready"] == numbers
    finally:
        for i in ids:
            camera_device.unsubscribe_event(i)


def test_continuous_acquisition_runs_until_stopped(camera_device):
    first = camera_device.FrameNumber
    camera_device.Start()
    try:
        assert camera_device.state() == tango.DevState.RUNNING
        wait_for(lambda: camera_device.FrameNumber >= first + 20, 60, "twenty frames")
        assert "acquiring continuously" in camera_device.status()
        assert camera_device.Snap() > first + 20  # the running camera's next frame
    finally:
        camera_device.Stop()
    assert camera_device.state() == tango.DevState.ON
    assert "lost to a full ring" in camera_device.status()
    last = camera_device.FrameNumber
    image = camera_device.Image
    assert image.shape == (480, 640) and image.max() > 0
    camera_device.Start()  # again, after a stop
    try:
        wait_for(lambda: camera_device.FrameNumber > last, 60, "a frame of the second run")
    finally:
        camera_device.Stop()


def test_missing_board_faults_with_the_library_text(cameras):
    from zrlmv import camera_codes
    device = cameras.proxy(CAMERA_MISSING)  # three boards are present
    assert device.state() == tango.DevState.FAULT
    status = device.status()
    assert f"board 7 failed: SET_INIT: error -4: {camera_codes.text(-4)}" in status
    with pytest.raises(tango.DevFailed) as caught:
        device.Snap()
    assert caught.value.args[0].reason == "BOARD_FAULT"
