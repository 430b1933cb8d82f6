"""Error numbers and result codes against the headers' own text."""

import re

from conftest import SOURCE_DIR

from zrlmv import camera_codes, motion, motion_errors
from zrlmv._cheader import parse_defines


def test_motion_error_module_matches_the_header():
    defines = parse_defines((SOURCE_DIR / "include" / "ZR_Corvane_TAL.h").read_text())
    assert motion_errors.ERRORS == defines
    assert motion_errors.ZR_UNKNOWN_AXIS_IDENTIFIER == -1001
    assert motion_errors.NAMES[-7] == "COM_TIMEOUT"


def header_prose() -> str:
    text = (SOURCE_DIR / "include" / "lmvntcam.h").read_text()
    return " ".join(text.replace("*", " ").split())


def test_camera_error_table_matches_the_header():
    prose = header_prose()
    block = re.search(r"Result codes: (.*?)\. Driver:", prose).group(1)
    from_header = {int(code): words for code, words in re.findall(r"(-\d+) ([^,]+)", block)}
    assert camera_codes.ERRORS == from_header


def test_camera_warnings_match_the_header():
    prose = header_prose()
    for code, words in camera_codes.WARNINGS.items():
        assert f"{code} ({words})" in prose


def test_texts_of_codes():
    assert camera_codes.text(-3) == "wrong parameter"
    assert camera_codes.text(100) == "no picture in the board buffer"
    assert camera_codes.text(-77) == "code -77"
    assert motion.translate_error(-1001) == "Unknown axis identifier"
