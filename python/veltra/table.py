"""read_table: a table file as a pandas DataFrame, read by libvtconv."""
import ctypes
import os

from . import _lib
from .errors import VeltraError, meaning

# Symbol codes of vt_table_cells and the texts of the data symbols.
SYMBOL_TEXTS = {1: ".", 2: "..", 3: "...", 4: "....", 5: ".....", 6: "......", 7: ".......", 8: "-"}
_UNDEFINED_1252 = {0x81, 0x8D, 0x8F, 0x90, 0x9D}
_declared = set()


def decode(raw):
    """Windows-1252 bytes as str; the five bytes the code page leaves
    undefined keep their own code point, as Windows does."""
    if raw is None:
        return None
    try:
        return raw.decode("cp1252")
    except UnicodeDecodeError:
        return "".join(chr(b) if b in _UNDEFINED_1252 else bytes([b]).decode("cp1252") for b in raw)


def _table_api():
    lib = _lib.library("vtconv")
    if "done" not in _declared:
        p, i, ll, s = ctypes.c_void_p, ctypes.c_int, ctypes.c_longlong, ctypes.c_char_p
        sig = {
            "vt_table_open": (i, [s, s, ctypes.POINTER(p)]),
            "vt_table_close": (None, [p]),
            "vt_table_variables": (i, [p]),
            "vt_table_stub_variables": (i, [p]),
            "vt_table_values": (i, [p, i]),
            "vt_table_variable_name": (s, [p, i]),
            "vt_table_value_text": (s, [p, i, i]),
            "vt_table_value_code": (s, [p, i, i]),
            "vt_table_text": (s, [p, s]),
            "vt_table_decimals": (i, [p, i]),
            "vt_table_cell_count": (ll, [p]),
            "vt_table_cells": (ll, [p, ll, ll, p, p]),
        }
        for name, (res, args) in sig.items():
            fn = getattr(lib, name)
            fn.restype, fn.argtypes = res, args
        _declared.add("done")
    return lib


def _levels(var_values, names):
    import pandas as pd
    if not var_values:
        return None
    return pd.MultiIndex.from_product(var_values, names=names)


def read_table(path, language=None, labels="text"):
    """The table file `path` as a DataFrame.

    Rows are the combinations of the stub values (a MultiIndex named after
    the stub variables), columns the combinations of the heading values.
    Data symbols are NaN; df.attrs["symbols"] is a frame of the same shape
    with 0 for a number and 1..8 for a symbol (texts in
    df.attrs["symbol_texts"]: "." .. "......." and "-"). labels="code"
    labels values by their codes where they have one. df.attrs also holds
    "title", "contents", "units", "matrix", "decimals", "showdecimals".
    Raises VeltraError with the reader's code when the file cannot be read.
    """
    import numpy as np
    import pandas as pd
    if labels not in ("text", "code"):
        raise ValueError("labels must be 'text' or 'code'")
    lib = _table_api()
    handle = ctypes.c_void_p()
    lang = language.encode("cp1252") if isinstance(language, str) else language
    rc = lib.vt_table_open(os.fsencode(path), lang, ctypes.byref(handle))
    if rc != 0:
        raise VeltraError(rc, meaning(rc, "vtconv"), "read_table")
    try:
        nvars, nstub = lib.vt_table_variables(handle), lib.vt_table_stub_variables(handle)
        names, values = [], []
        for v in range(nvars):
            names.append(decode(lib.vt_table_variable_name(handle, v)))
            raw = []
            for k in range(lib.vt_table_values(handle, v)):
                code = lib.vt_table_value_code(handle, v, k) if labels == "code" else None
                raw.append(code if code is not None else lib.vt_table_value_text(handle, v, k))
            # One decode per variable: texts hold no NUL, so it separates them.
            values.append(decode(b"\0".join(raw)).split("\0") if raw else [])
        attrs = {key.lower(): decode(lib.vt_table_text(handle, key.encode()))
                 for key in ("TITLE", "CONTENTS", "UNITS", "MATRIX")}
        attrs["decimals"] = lib.vt_table_decimals(handle, 0)
        attrs["showdecimals"] = lib.vt_table_decimals(handle, 1)
        count = lib.vt_table_cell_count(handle)
        cells = np.empty(count, dtype=np.float64)
        symbols = np.empty(count, dtype=np.int8)
        if lib.vt_table_cells(handle, 0, count, cells.ctypes.data, symbols.ctypes.data) != count:
            raise VeltraError(201, meaning(201, "vtconv"), "read_table")
    finally:
        lib.vt_table_close(handle)
    rows = 1
    for vals in values[:nstub]:
        rows *= len(vals)
    cols = count // rows if rows else 0
    index = _levels(values[:nstub], names[:nstub])
    if index is None:
        index = pd.RangeIndex(1)
    columns = _levels(values[nstub:], names[nstub:])
    if columns is None:
        columns = pd.Index([attrs["contents"]])
    df = pd.DataFrame(cells.reshape(rows, cols), index=index, columns=columns, copy=False)
    df.attrs.update(attrs)
    df.attrs["symbols"] = pd.DataFrame(symbols.reshape(rows, cols), index=index, columns=columns, copy=False)
    df.attrs["symbol_texts"] = dict(SYMBOL_TEXTS)
    return df
