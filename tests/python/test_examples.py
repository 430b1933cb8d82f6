"""The examples in examples/python run against the simulators."""

import os
import re
import subprocess
import sys

from conftest import SOURCE_DIR

EXAMPLES = SOURCE_DIR / "examples" / "python"


def run_example(name, *args, cwd=None):
    env = dict(os.environ, PYTHONPATH=str(SOURCE_DIR / "python"))
    return subprocess.run([sys.executable, str(EXAMPLES / name), *args], env=env, cwd=cwd,
                          capture_output=True, text=True, timeout=300)


def test_move_axes(corvane_sim):
    result = run_example("move_axes.py", str(corvane_sim))
    assert result.returncode == 0, result.stderr
    assert "on target: A 1.500 mm, B -2.000 mm" in result.stdout


def test_grab_picture(camera_installed, tmp_path):
    result = run_example("grab_picture.py", "shot", "10", cwd=tmp_path)
    assert result.returncode == 0, result.stderr
    saved = next(tmp_path.glob("shot.*"))
    assert saved.name in result.stdout and "640 x 480" in result.stdout
    header = saved.read_bytes()[:16]
    assert header.startswith(b"P5\n640 480\n4095\n") or header.startswith(b"\x89PNG")


def test_acquire_fps(camera_installed):
    result = run_example("acquire_fps.py", "0.5", "5")
    assert result.returncode == 0, result.stderr
    match = re.search(r"^(\d+) pictures of 640 x 480 in [\d.]+ s: ([\d.]+) frames per second",
                      result.stdout, re.M)
    assert match and int(match.group(1)) > 0 and float(match.group(2)) > 0, result.stdout


def test_ring_recording(camera_installed):
    result = run_example("ring_recording.py", "0.5", "5", "4")
    assert result.returncode == 0, result.stderr
    match = re.search(r"^(\d+) pictures of 640 x 480 in [\d.]+ s: ([\d.]+) frames per second "
                      r"through a ring of 4, (\d+) wraps, 0 dropped, 0 errors", result.stdout, re.M)
    assert match and int(match.group(1)) > 0 and float(match.group(2)) > 0, result.stdout
    assert int(match.group(3)) == int(match.group(1)) // 4


def test_colour_picture(camera_installed, tmp_path):
    result = run_example("colour_picture.py", "shot", cwd=tmp_path)
    assert result.returncode == 0, result.stderr
    saved = next(tmp_path.glob("shot.*"))
    assert saved.name in result.stdout and "640 x 480" in result.stdout
    header = saved.read_bytes()[:15]
    assert header.startswith(b"P6\n640 480\n255\n") or header.startswith(b"\x89PNG")


def test_macro_and_lines(corvane_sim):
    result = run_example("macro_and_lines.py", str(corvane_sim))
    assert result.returncode == 0, result.stderr
    assert "macro AMC1: MVR A" in result.stdout and "WAC ONT? A = 1" in result.stdout
    assert re.search(r"^analog line 1 of board 0: \d\.\d\d V$", result.stdout, re.M)


def test_wait_for_picture(camera_installed):
    result = run_example("wait_for_picture.py", "10")
    assert result.returncode == 0, result.stderr
    assert re.search(r"^picture landed after \d+ ms; transferred 640 x 480, mean \d+$",
                     result.stdout, re.M), result.stdout


def test_tal_script(corvane_sim):
    result = run_example("tal_script.py", str(corvane_sim))
    assert result.returncode == 1  # the script ends with an unknown command word
    assert "POS? A B: A=2.500000" in result.stdout and "POS? A B: B=-1.000000" in result.stdout
    assert "error 2" in result.stderr, result.stderr
