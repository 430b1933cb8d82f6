"""Console entry points of the device servers: CorvaneServer <instance>, LumivertServer
<instance> (Tango's usual server options follow the instance name)."""

from __future__ import annotations

import sys
from typing import Optional, Sequence

from tango.server import run

from .axis_device import CorvaneAxis
from .camera_device import LumivertCamera
from .controller_device import CorvaneController

# Controllers first: axes find their controller's line when they start.
CORVANE_CLASSES = (CorvaneController, CorvaneAxis)
LUMIVERT_CLASSES = (LumivertCamera,)


def _serve(server: str, classes, args: Optional[Sequence[str]]) -> None:
    # Tango takes the server's name from the first argument, whatever started the process.
    options = list(sys.argv[1:] if args is None else args)
    run(classes, args=[server] + options)


def corvane_server(args: Optional[Sequence[str]] = None) -> None:
    _serve("CorvaneServer", CORVANE_CLASSES, args)


def lumivert_server(args: Optional[Sequence[str]] = None) -> None:
    _serve("LumivertServer", LUMIVERT_CLASSES, args)
