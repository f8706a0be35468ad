"""Finding and loading the two libraries and the vtbatch program.

Each is looked for, in this order: an environment variable naming the file
(VELTRA_LIBVTCONV, VELTRA_LIBVTOPS, VELTRA_VTBATCH), a folder named by
VELTRA_PREFIX (its lib*/ and bin/ folders, as `cmake --install` lays them
out), the prefix of the running Python (a virtual environment), and the system's own search (the
dynamic loader for the libraries, PATH for vtbatch).
"""
import ctypes
import glob
import os
import shutil
import sys

_SONAMES = {"vtconv": "libvtconv.so.1", "vtops": "libvtops.so.1"}
_loaded = {}


class NotFound(OSError):
    """A library or vtbatch could not be found."""


def _prefixes():
    prefix = os.environ.get("VELTRA_PREFIX")
    out = [prefix] if prefix else []
    return out + [sys.prefix]


def library_path(name):
    """The file of library `name` ("vtconv" or "vtops") that would be loaded."""
    env = os.environ.get("VELTRA_LIB" + name.upper())
    if env:
        return env
    for prefix in _prefixes():
        for pattern in ("lib*", os.path.join("lib", "*-linux-gnu")):
            for hit in sorted(glob.glob(os.path.join(prefix, pattern, _SONAMES[name]))):
                return hit
    return _SONAMES[name]  # the dynamic loader's own search


def library(name):
    """The loaded library `name`, loaded once per process."""
    lib = _loaded.get(name)
    if lib is None:
        path = library_path(name)
        try:
            lib = ctypes.CDLL(path)
        except OSError as e:
            raise NotFound(f"lib{name} not found ({e}); set VELTRA_LIB{name.upper()} or VELTRA_PREFIX") from e
        _loaded[name] = lib
    return lib


def vtbatch_path():
    """The vtbatch program to run jobs with."""
    env = os.environ.get("VELTRA_VTBATCH")
    if env:
        return env
    for prefix in _prefixes():
        candidate = os.path.join(prefix, "bin", "vtbatch")
        if os.access(candidate, os.X_OK):
            return candidate
    found = shutil.which("vtbatch")  # also /usr/bin from the Debian package
    if not found:
        raise NotFound("vtbatch not found; set VELTRA_VTBATCH or VELTRA_PREFIX, or put it on PATH")
    return found
