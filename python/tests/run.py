"""Runs the package's tests for ctest: exit 77 (skipped) with the reason
when a Python package they need is missing, else pytest's own status."""
import importlib
import sys

for module in ("pytest", "numpy", "pandas"):
    try:
        importlib.import_module(module)
    except ImportError:
        print(f"skipped: the Python module {module} is missing (Debian package python3-{module})")
        sys.exit(77)

import pytest  # noqa: E402

sys.exit(pytest.main(["-q", "-p", "no:cacheprovider", *sys.argv[1:]]))
