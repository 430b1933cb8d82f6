"""The raw layers against the export lists and the C headers."""

import ctypes

import pytest
from conftest import SOURCE_DIR

from zrlmv import _camera_raw, _motion_raw
from zrlmv._cheader import ctypes_source, parse_exports, parse_prototypes

LIBRARIES = [
    ("motion", _motion_raw.BINDINGS, "include/ZR_Corvane_TAL.h",
     "motion/api/ZR_Corvane_TAL.exports"),
    ("camera", _camera_raw.BINDINGS, "include/lmvntcam.h", "camera/api/lmvntcam.exports"),
]
CTYPES_NAMESPACE = {name: getattr(ctypes, name) for name in dir(ctypes)}


def expected_ctypes(ctype: str):
    return eval(ctypes_source(ctype), CTYPES_NAMESPACE)  # noqa: S307 (our own expression)


@pytest.mark.parametrize("family,bindings,header,exports", LIBRARIES, ids=lambda v: str(v)[:12])
def test_every_export_is_bound_with_its_ordinal(family, bindings, header, exports):
    listed = parse_exports((SOURCE_DIR / exports).read_text())
    bound = {ordinal: name for ordinal, name, _r, _a in bindings}
    missing = sorted(f"{o} {n}" for o, n in listed.items() if bound.get(o) != n)
    extra = sorted(f"{o} {n}" for o, n in bound.items() if listed.get(o) != n)
    assert not missing and not extra, (
        f"{family} raw layer out of date (run python/tools/generate.py): "
        f"not bound: {missing}; bound but not exported: {extra}")


@pytest.mark.parametrize("family,bindings,header,exports", LIBRARIES, ids=lambda v: str(v)[:12])
def test_every_binding_has_its_prototype_types(family, bindings, header, exports):
    prototypes = parse_prototypes((SOURCE_DIR / header).read_text())
    wrong = []
    for _ordinal, name, restype, argtypes in bindings:
        proto = prototypes.get(name)
        if proto is None:
            wrong.append(f"{name}: no prototype in {header}")
            continue
        want = (expected_ctypes(proto.result), tuple(expected_ctypes(p) for p in proto.params))
        if (restype, tuple(argtypes)) != want:
            wrong.append(f"{name}: bound {restype}, {argtypes}; header {proto}")
    assert not wrong, f"{family} bindings differ from {header}:\n" + "\n".join(wrong)


# The shapes that ctypes gets wrong by default, spelled out by hand.
TRICKY = [
    ("camera", "GET_COCTIME", ctypes.c_float, ()),
    ("camera", "GET_PALETTE", ctypes.POINTER(ctypes.c_void_p),
     (ctypes.POINTER(ctypes.c_void_p),)),
    ("camera", "ALLOC_PHYS", ctypes.c_int, (ctypes.c_int,) + (ctypes.POINTER(ctypes.c_int),) * 3
     + (ctypes.POINTER(ctypes.c_void_p),)),
    ("camera", "READ_IMAGE_12BIT", ctypes.c_int,
     (ctypes.c_int,) * 3 + (ctypes.POINTER(ctypes.c_ushort),)),
    ("camera", "CONVERT_BUFFER_12TO8", ctypes.c_int, (ctypes.c_int,) * 3 + (
        ctypes.POINTER(ctypes.c_short), ctypes.POINTER(ctypes.c_ubyte))),
    ("motion", "Corvane_qJLT", ctypes.c_int32, (ctypes.c_int, ctypes.POINTER(ctypes.c_int),
     ctypes.POINTER(ctypes.c_int), ctypes.c_int, ctypes.c_int, ctypes.c_int,
     ctypes.POINTER(ctypes.POINTER(ctypes.c_double)), ctypes.c_char_p, ctypes.c_int)),
    ("motion", "Corvane_OpenZrStagesEditDialog", ctypes.c_void_p, (ctypes.c_int,)),
    ("motion", "Corvane_CloseConnection", None, (ctypes.c_int,)),
    ("motion", "Corvane_SPA", ctypes.c_int32, (ctypes.c_int, ctypes.c_char_p,
     ctypes.POINTER(ctypes.c_uint), ctypes.POINTER(ctypes.c_double), ctypes.c_char_p)),
]


@pytest.mark.parametrize("family,name,restype,argtypes", TRICKY, ids=lambda v: str(v)[:30])
def test_tricky_prototypes(family, name, restype, argtypes):
    bindings = _motion_raw.BINDINGS if family == "motion" else _camera_raw.BINDINGS
    found = {n: (r, tuple(a)) for _o, n, r, a in bindings}
    assert found[name] == (restype, argtypes)


def test_alias_pairs_are_bound_separately():
    names = {n for _o, n, _r, _a in _camera_raw.BINDINGS + _motion_raw.BINDINGS}
    for pair in [("GET_TIMEOUT", "GETTIMEOUT"), ("SET_TIMEOUT", "SETTIMEOUT"),
                 ("TEST_COC", "TESTCOC"), ("GET_CCDSIZE", "GET_CCD_SIZE"),
                 ("Corvane_GetInputChannelNames", "Corvane_GetOutputChannelNames")]:
        assert set(pair) <= names


def test_loaded_libraries_carry_the_bindings(camera_installed):
    from zrlmv import camera, motion
    cam, mot = camera.library(), motion.library()
    assert cam.GET_COCTIME.restype is ctypes.c_float
    assert isinstance(cam.GET_COCTIME(), float)
    assert mot.Corvane_qJLT.argtypes[6] == ctypes.POINTER(ctypes.POINTER(ctypes.c_double))
    assert camera.library() is cam  # bound once per process
