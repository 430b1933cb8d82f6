"""Reads the plain C headers and export lists of both libraries.

Used by the generator of the raw layers and by the tests that hold the raw layers to the headers,
so a changed prototype or a new export is noticed. Only the subset of C the two headers use is
understood: one prototype per declaration, scalar and pointer types, no function pointers.
"""

from __future__ import annotations

import re
from dataclasses import dataclass

_COMMENT = re.compile(r"/\*.*?\*/|//[^\n]*", re.S)
_PROTOTYPE = re.compile(r"\b(?:ZR_CORVANE_API|LMV_API)\s+([^;(]*?)\b(\w+)\s*\(([^)]*)\)\s*;", re.S)
_DEFINE = re.compile(r"^#define\s+(\w+)\s+\(?(-?\d+)\)?\s*$", re.M)
_TYPE_WORDS = {"const", "unsigned", "signed", "short", "int", "char", "double", "float", "void",
               "long", "ZR_BOOL", "int32_t", "uint32_t", "uint16_t", "uint8_t"}


@dataclass(frozen=True)
class Prototype:
    name: str
    result: str          # normalised C type, e.g. "int", "void**"
    params: tuple[str, ...]


def normalise_type(text: str) -> str:
    """'const double *' -> 'double*': qualifiers dropped, stars joined to the base type."""
    stars = text.count("*")
    words = [w for w in text.replace("*", " ").split() if w != "const"]
    return " ".join(words) + "*" * stars


def _param_type(param: str) -> str:
    param = param.strip()
    tokens = param.replace("*", " * ").split()
    if len(tokens) > 1 and tokens[-1] not in _TYPE_WORDS and tokens[-1] != "*":
        tokens = tokens[:-1]  # the parameter's name
    return normalise_type(" ".join(tokens))


def parse_prototypes(header_text: str) -> dict[str, Prototype]:
    text = _COMMENT.sub(" ", header_text)
    found: dict[str, Prototype] = {}
    for result, name, params in _PROTOTYPE.findall(text):
        plist = [p for p in params.split(",") if p.strip()]
        types = tuple(_param_type(p) for p in plist)
        if types == ("void",):
            types = ()
        found[name] = Prototype(name, normalise_type(result), types)
    return found


def parse_defines(header_text: str) -> dict[str, int]:
    """Integer #defines of the header (the error numbers)."""
    text = _COMMENT.sub(" ", header_text)
    return {name: int(value) for name, value in _DEFINE.findall(text)}


def parse_exports(list_text: str) -> dict[int, str]:
    """Export list lines 'ordinal name'; '#' starts a comment."""
    exports: dict[int, str] = {}
    for line in list_text.splitlines():
        line = line.split("#", 1)[0].strip()
        if not line:
            continue
        ordinal, name = line.split()
        exports[int(ordinal)] = name
    return exports


# Base C types of the headers and their ctypes names. char* is a text or text buffer (c_char_p,
# which also takes ctypes.create_string_buffer); void* is any address (c_void_p).
_CTYPES = {
    "void": "None", "int": "c_int", "ZR_BOOL": "c_int32", "int32_t": "c_int32",
    "unsigned int": "c_uint", "short": "c_short", "unsigned short": "c_ushort",
    "unsigned char": "c_ubyte", "char": "c_char", "double": "c_double", "float": "c_float",
}


def ctypes_source(ctype: str) -> str:
    """The ctypes expression for a normalised C type: 'double**' -> 'POINTER(POINTER(c_double))'."""
    base = ctype.rstrip("*")
    stars = len(ctype) - len(base)
    if base not in _CTYPES:
        raise ValueError(f"no ctypes type for C type {ctype!r}")
    if stars == 0:
        return _CTYPES[base]
    if base == "char":
        inner, stars = "c_char_p", stars - 1
    elif base == "void":
        inner, stars = "c_void_p", stars - 1
    else:
        inner = _CTYPES[base]
    for _ in range(stars):
        inner = f"POINTER({inner})"
    return inner
