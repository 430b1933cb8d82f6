"""Motion controllers: Pythonic access to libZR_Corvane_TAL.

Positions, distances and velocities are in the stage's unit (mm, degrees, ...) divided by the
axis factor; velocities per second. Axes are named by one character each; methods take an axis
string ("AB") or a dict {axis: value} and answer with a dict {axis: value}. A failed call raises
CorvaneError with the controller's error number (read once, which clears it) and its text.

The library keeps its controllers in a table without a lock: connecting and closing must not
overlap other use of the same controller ID (this package adds no lock there).
"""

from __future__ import annotations

from typing import Optional

from ._motion_axes import AxesMixin
from ._motion_core import ControllerCore, CorvaneError, library, translate_error
from ._motion_io import IoMixin
from ._motion_joystick import JoystickMixin, JoystickTableRead
from ._motion_macros import MacrosMixin
from ._motion_parameters import ParametersMixin
from ._motion_tal import TalMixin
from ._motion_trigger import TriggerMixin
from .motion_errors import ERRORS, NAMES

__all__ = ["Controller", "CorvaneError", "JoystickTableRead", "library", "translate_error",
           "check_features_by_controller_version", "set_max_nr_of_controllers", "ERRORS",
           "NAMES"]


def check_features_by_controller_version(flag: bool) -> bool:
    """How board features are found for later connects: True from the boards' version texts,
    False by trying commands. Returns the previous choice."""
    return bool(library().Corvane_CheckFeaturesByControllerVersion(int(flag)))


def set_max_nr_of_controllers(number: int) -> int:
    """Number of daisy-chain addresses later connects scan (clamped to 1..16); returns it."""
    return library().Corvane_SetMaxNrOfControllers(int(number))


class Controller(ControllerCore, AxesMixin, ParametersMixin, IoMixin, JoystickMixin,
                 TriggerMixin, MacrosMixin, TalMixin):
    """One connected chain of boards. Use as a context manager; closes on exit."""

    @classmethod
    def connect_rs232(cls, port: int, baud: int = 57600, *,
                      max_controllers: Optional[int] = None) -> "Controller":
        """Connects to COM<port> (WINPORT_COM<port> on Linux) at baud; scans for boards.

        max_controllers: number of daisy-chain addresses to scan (fewer is faster).
        Raises CorvaneError -1 when the port does not open or no board answers.
        """
        lib = library()
        if max_controllers is not None:
            lib.Corvane_SetMaxNrOfControllers(max_controllers)
        controller_id = lib.Corvane_ConnectRS232(port, baud)
        if controller_id < 0:
            raise CorvaneError(-1, f"no controller on COM{port} at {baud} baud",
                               "Corvane_ConnectRS232")
        return cls(controller_id)

    @classmethod
    def interface_setup_dialog(cls, key: Optional[str] = None) -> "Controller":
        """Connects on the port the user picks in the "Connect" dialog (needs a display).
        key: where the settings are saved below HKEY_CURRENT_USER\\Software."""
        controller_id = library().Corvane_InterfaceSetupDlg(key.encode() if key else None)
        if controller_id < 0:
            raise CorvaneError(-1, "no connection from the dialog", "Corvane_InterfaceSetupDlg")
        return cls(controller_id)
