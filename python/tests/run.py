"""Runs the package's tests for ctest: exit 77 (skipped) with the reason
when a Python package they need is missing, else pytest's own status."""
import importlib
import sys



def main():
    for module in ("pytest", "numpy", "pandas"):
        try:
            importlib.import_module(module)
        except ImportError:
            print(f"skipped: the Python module {module} is missing (Debian package python3-{module})")
            return 77
    import pytest
    return pytest.main(["-q", "-p", "no:cacheprovider", *sys.argv[1:]])


# Dask's process workers start by importing this file again: only the
# program itself runs the tests.
if __name__ == "__main__":
    sys.exit(main())
