#!/usr/bin/python3
"""The selection dialogue of libvtops driven from Python, as a host window
would drive it: getvalue's first step fills one list box per variable, the
"user" selects values, and the next step writes the new table.

    getvalue.py TABLE OUT [VARIABLE=VALUE[,VALUE...]] ...

A variable named on the command line keeps the values listed (by text); a
variable not named keeps all of its values. Prints the list boxes, the
status words and the result; the exit status is 0 when the table was
written, else 1.

The library is found as the veltra package finds it (VELTRA_LIBVTOPS,
VELTRA_PREFIX or the system); the list boxes are veltra.ListBox objects,
handed to the C export through ctypes.
"""
import ctypes
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "python"))

from veltra import ListBox  # noqa: E402
from veltra._lib import library  # noqa: E402
from veltra.listbox import vt_listbox  # noqa: E402

BOXES = 16
STATUS_SIZE = 1000  # the buffer size vtops.h gives for status_out


def bind():
    """getvalue with its 24 arguments: 4 paths, the step, 16 list boxes, the
    status buffer, secrecy and the language."""
    fn = library("vtops").getvalue
    fn.argtypes = ([ctypes.c_char_p] * 4 + [ctypes.c_int] + [ctypes.POINTER(vt_listbox)] * BOXES
                   + [ctypes.c_char_p, ctypes.c_int, ctypes.c_char_p])
    fn.restype = ctypes.c_int
    return fn


def main(argv):
    if len(argv) < 3:
        print(__doc__.split("\n\n")[1], file=sys.stderr)
        return 2
    table, out = os.fsencode(argv[1]), os.fsencode(argv[2])
    wanted = {}
    for item in argv[3:]:
        name, _, values = item.partition("=")
        wanted[name] = values.split(",")

    getvalue = bind()
    boxes = [ListBox() for _ in range(BOXES)]
    pointers = [b.pointer() for b in boxes]
    status = ctypes.create_string_buffer(STATUS_SIZE)

    # Step 0: read the table, fill the boxes, write the status words.
    rc = getvalue(table, b"", b"", b"", 0, *pointers, status, 0, b"")
    print(f"step 0: {rc}")
    if rc not in (0, 1000):  # 1000: no value set offers an aggregation
        return 1
    print(f"status: {status.value.decode('cp1252')!r}")

    # The "user": the values asked for, or every value.
    filled = [b for b in boxes if b.items]
    names = variable_names(table)
    for name, box in zip(names, filled):
        print(f"{name}: {' | '.join(box.texts())}")
        keep = wanted.get(name, box.texts())
        box.selected = {i for i, t in enumerate(box.texts()) if t in keep}

    # Any step but 0 and 3 writes the selection and ends the dialogue.
    rc = getvalue(None, out, None, None, 1, *pointers, None, 0, None)
    print(f"step 1: {rc}")
    if rc != 0:
        getvalue(None, None, None, None, 3, *([None] * BOXES), None, 0, None)  # release
        return 1
    return 0


def variable_names(table):
    """The variable names in table order (stub, then heading), read from the
    table file's STUB= and HEADING= lines."""
    names = []
    with open(table, "rb") as f:
        for raw in f:
            line = raw.decode("cp1252").strip()
            for key in ("STUB=", "HEADING="):
                if line.startswith(key):
                    names += [n.strip('"') for n in line[len(key):].rstrip(";").split('","')]
            if line.startswith("DATA="):
                break
    return names


if __name__ == "__main__":
    sys.exit(main(sys.argv))
