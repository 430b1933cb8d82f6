"""The examples in examples/python run against the simulators."""

import os
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
