"""Finding the libraries, and installing the package into a venv offline."""

import os
import pathlib
import shutil
import subprocess
import sys

import pytest
from conftest import SCRATCH, SOURCE_DIR

from zrlmv import _loader


def run_python(code: str, env_changes: dict, python: str = sys.executable, cwd=None):
    env = dict(os.environ)
    env.update(env_changes)
    env = {k: v for k, v in env.items() if v is not None}
    return subprocess.run([python, "-c", code], env=env, capture_output=True, text=True,
                          timeout=300, cwd=cwd)


FRESH_LOAD = ("import sys; sys.path.insert(0, {path!r}); "
              "from zrlmv import camera\n"
              "try:\n    camera.library({explicit})\nexcept OSError as e:\n    print(e)\n"
              "else:\n    print('loaded', camera.library().cdll._name)")


def fresh_load(explicit=None, package=SOURCE_DIR / "python", cwd=None, **env):
    code = FRESH_LOAD.format(path=str(package), explicit=repr(explicit))
    return run_python(code, env, cwd=cwd).stdout.strip()


def test_variable_names_the_library():
    wanted = os.environ["ZRLMV_CAMERA_LIBRARY"]
    assert fresh_load() == f"loaded {wanted}"


def test_failure_names_everything_tried(tmp_path):
    # A copy of the package started outside the project: no build tree (such as the one
    # `make demo` leaves) to fall back on.
    package = tmp_path / "package"
    shutil.copytree(SOURCE_DIR / "python" / "zrlmv", package / "zrlmv")
    text = fresh_load(package=package, cwd=tmp_path,
                      ZRLMV_CAMERA_LIBRARY=str(tmp_path / "nothing.so"))
    assert text.startswith("zrlmv: cannot load the camera library; tried: ")
    for part in (f"ZRLMV_CAMERA_LIBRARY={tmp_path / 'nothing.so'}", "installed liblmvntcam.so.1",
                 "build"):
        assert part in text


def test_explicit_path_is_tried_alone(tmp_path):
    text = fresh_load(explicit=str(tmp_path / "explicit.so"))
    assert f"explicit path {tmp_path / 'explicit.so'}" in text
    assert "ZRLMV_CAMERA_LIBRARY" not in text


def test_loaded_once_per_process():
    first = _loader.load(_loader.CAMERA)
    assert _loader.load(_loader.CAMERA, "/nowhere/else.so") is first


def test_build_tree_is_found_from_the_package():
    found = _loader._build_tree_candidates(_loader.MOTION)
    release = SOURCE_DIR / "build" / "release" / "lib" / "libZR_Corvane_TAL.so"
    assert found == ([str(release)] if release.is_file() else [])


@pytest.mark.skipif(not os.environ.get("ZRLMV_PYTHON"), reason="run through ctest")
def test_pip_install_offline_into_a_venv(camera_installed):
    venv = SCRATCH / "venv"
    python = os.environ["ZRLMV_PYTHON"]
    plain = {"LD_PRELOAD": None, "PIP_NO_INDEX": "1", "PIP_DISABLE_PIP_VERSION_CHECK": "1"}
    subprocess.run([python, "-m", "venv", "--system-site-packages", str(venv)], check=True,
                   env={k: v for k, v in os.environ.items() if k != "LD_PRELOAD"}, timeout=300)
    # setuptools writes build/ and *.egg-info beside the sources: build from a copy
    source = SCRATCH / "python-source"
    shutil.copytree(SOURCE_DIR / "python", source, ignore=shutil.ignore_patterns("__pycache__"))
    install = subprocess.run(
        [str(venv / "bin" / "python"), "-m", "pip", "install", "--no-index",
         "--no-build-isolation", "--no-cache-dir", str(source)],
        env={k: v for k, v in {**os.environ, **plain}.items() if v is not None},
        capture_output=True, text=True, timeout=300)
    assert install.returncode == 0, install.stdout + install.stderr
    check = run_python("import zrlmv, zrlmv.camera as c, zrlmv.motion as m; "
                       "print(zrlmv.__file__); print(c.library().GET_COCTIME())",
                       {"PYTHONPATH": None}, python=str(venv / "bin" / "python"))
    assert check.returncode == 0, check.stderr
    where, coctime = check.stdout.split()
    assert pathlib.Path(where).is_relative_to(venv)
    assert float(coctime) == 0.0
