"""One Python function per export of libvtconv and libvtops, made from the
signature table in _exports.py: same names, same argument names and order,
typed and with defaults; a positive result raises VeltraError."""
import ast
import ctypes
import inspect
import os
import re
import types

from . import _exports, _lib
from .errors import VeltraError, meaning
from .listbox import ListBox, vt_listbox

_LINE = re.compile(r"^(code|one|uint) (\w+)\((.*)\)$")
_ARG = re.compile(r"^(path|text|textbuf|int|uint|table|listbox) (\w+)(?:=(.+))?$")
_CTYPES = {"path": ctypes.c_char_p, "text": ctypes.c_char_p, "textbuf": ctypes.POINTER(ctypes.c_char),
           "int": ctypes.c_int, "uint": ctypes.c_uint,
           "table": ctypes.c_void_p, "listbox": ctypes.POINTER(vt_listbox)}
_PY_TYPES = {"path": "str | bytes | os.PathLike", "text": "str | bytes", "textbuf": "str | bytes", "int": int,
             "uint": int,
             "table": None, "listbox": ListBox}
_RESTYPES = {"code": ctypes.c_int, "one": ctypes.c_int, "uint": ctypes.c_uint}


def parse(table):
    """[(result kind, name, [(kind, arg name, default or inspect.Parameter.empty)])] of a table."""
    out = []
    for line in filter(None, (l.strip() for l in table.splitlines())):
        m = _LINE.match(line)
        if not m:
            raise ValueError(f"bad export line: {line}")
        args = []
        for item in filter(None, (a.strip() for a in m.group(3).split(", "))):
            a = _ARG.match(item)
            if not a:
                raise ValueError(f"bad argument {item!r} in {line}")
            default = inspect.Parameter.empty
            if a.group(3) is not None:
                default = _exports.SYMBOLS if a.group(3) == "SYMBOLS" else ast.literal_eval(a.group(3))
            args.append((a.group(1), a.group(2), default))
        out.append((m.group(1), m.group(2), args))
    return out


def encode_text(value):
    """A text argument as the libraries take it: Windows-1252 bytes."""
    if value is None or isinstance(value, bytes):
        return value
    return str(value).encode("cp1252")


def _convert(kind, name, value):
    if kind == "path":
        return None if value is None else os.fsencode(value)
    if kind == "text":
        return encode_text(value)
    if kind == "textbuf":
        # A text the library may write back into (a symbol list): handed over
        # in a buffer of the size hosts give it.
        data = encode_text(value) or b""
        if name in _exports.OUT_BUFFERS:
            # A buffer the library fills: exactly the size its header gives.
            size = _exports.OUT_BUFFERS[name]
            return ctypes.create_string_buffer(data[: size - 1], size)
        return ctypes.create_string_buffer(data, max(len(data) + 1, _exports.TEXT_BUFFER))
    if kind == "table":
        if value is not None:
            raise ValueError(f"{name}: the libraries convert files only; pass None")
        return None
    if kind == "listbox":
        if value is None:
            return None  # the library sees an empty box
        if not isinstance(value, ListBox):
            raise TypeError(f"{name} must be a veltra.ListBox")
        return value.pointer()
    return int(value)


def _make(libname, result, name, args):
    params = [inspect.Parameter(a, inspect.Parameter.POSITIONAL_OR_KEYWORD, default=d, annotation=_PY_TYPES[k])
              for k, a, d in args]
    signature = inspect.Signature(params, return_annotation=int)
    state = {}

    def c_function():
        fn = state.get("fn")
        if fn is None:
            fn = getattr(_lib.library(libname), name)
            fn.argtypes = [_CTYPES[k] for k, _a, _d in args]
            fn.restype = _RESTYPES[result]
            state["fn"] = fn
        return fn

    def export(*call_args, **call_kwargs):
        bound = signature.bind(*call_args, **call_kwargs)
        bound.apply_defaults()
        values = [_convert(k, a, bound.arguments[a]) for k, a, _d in args]
        rc = c_function()(*values)
        if result == "code" and rc > 0:
            raise VeltraError(rc, meaning(rc, libname, name), name)
        return rc

    export.__name__ = export.__qualname__ = name
    export.__signature__ = signature
    export.__annotations__ = {p.name: p.annotation for p in params} | {"return": int}
    kinds = {"code": "0 (or a negative success code); VeltraError for a positive result",
             "one": "1", "uint": "the unsigned result"}
    export.__doc__ = (f"The export {name} of lib{libname} (see include/{libname}.h for what it does).\n"
                      f"Returns {kinds[result]}.")
    return export


def _module(libname, table):
    mod = types.ModuleType(f"veltra.{libname}", f"The exports of lib{libname}, one function each.")
    names = []
    for result, name, args in parse(table):
        setattr(mod, name, _make(libname, result, name, args))
        names.append(name)
    mod.__all__ = names
    return mod


vtconv = _module("vtconv", _exports.VTCONV)
vtops = _module("vtops", _exports.VTOPS)
