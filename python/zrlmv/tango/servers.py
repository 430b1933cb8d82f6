"""Console entry points of the device servers: CorvaneServer <instance>, LumivertServer
<instance> (Tango's usual server arguments follow the instance name)."""

from __future__ import annotations

from tango.server import run

from .axis_device import CorvaneAxis
from .camera_device import LumivertCamera
from .controller_device import CorvaneController

# Controllers first: axes find their controller's line when they start.
CORVANE_CLASSES = (CorvaneController, CorvaneAxis)
LUMIVERT_CLASSES = (LumivertCamera,)


def corvane_server(args=None) -> None:
    run(CORVANE_CLASSES, args=args)


def lumivert_server(args=None) -> None:
    run(LUMIVERT_CLASSES, args=args)
