"""Result codes of the camera library and their texts (as its header describes them)."""

NO_PICTURE = 100
NO_CAMERA = 120

WARNINGS = {
    NO_PICTURE: "no picture in the board buffer",
    NO_CAMERA: "no camera answers",
}

ERRORS = {
    -1: "board not initialised",
    -2: "time-out",
    -3: "wrong parameter",
    -4: "driver cannot be opened",
    -5: "device-buffer communication error",
    -6: "bit file not found",
    -8: "camera or CCD type not supported",
    -9: "driver not open",
    -11: "driver busy (another process)",
    -12: "transfer incomplete",
    -13: "function missing",
    -20: "camera busy",
    -21: "COC too long",
    -22: "temperature out of range",
    -23: "no memory or no board record",
    -24: "another read in progress",
    -27: "system resource",
    -28: "board owned by the recorder",
    -29: "log file error",
    -30: "registry value missing",
    -31: "dialog error",
    -34: "board memory error",
    -35: "CCD not supported by the board",
    -333: "board buffer could not be emptied",
}


def text(code: int) -> str:
    """The text of a result code; 'code N' for one without a text."""
    return ERRORS.get(code) or WARNINGS.get(code) or f"code {code}"
