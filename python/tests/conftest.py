"""Shared fixtures: the repository's test tables and a temporary folder.

The libraries and vtbatch come from the environment (ctest sets
VELTRA_LIBVTCONV, VELTRA_LIBVTOPS, VELTRA_VTBATCH and VELTRA_VTGEN to the
build's files) or from an installation."""
import os
import shutil

import pytest

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.normpath(os.path.join(HERE, "..", ".."))
DATA = os.path.join(REPO, "tests", "data")


@pytest.fixture
def data():
    return DATA


@pytest.fixture
def work(tmp_path):
    """A temporary folder holding copies of the test tables."""
    for name in os.listdir(DATA):
        shutil.copy(os.path.join(DATA, name), tmp_path / name)
    return tmp_path


def vtgen_path():
    path = os.environ.get("VELTRA_VTGEN") or shutil.which("vtgen")
    if not path:
        pytest.skip("skipped: vtgen not found (set VELTRA_VTGEN)")
    return path
