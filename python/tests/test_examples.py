"""The examples of examples/ run as a user runs them."""
import os
import subprocess
import sys

import veltra
from conftest import REPO


def test_the_getvalue_example_selects_through_python_list_boxes(work):
    out = work / "chosen.vt"
    script = os.path.join(REPO, "examples", "getvalue.py")
    run = subprocess.run([sys.executable, script, str(work / "population.vt"), str(out), "region=North,East",
                          "year=2005"], capture_output=True, text=True, env=os.environ.copy())
    assert run.returncode == 0, run.stdout + run.stderr
    assert run.stdout.splitlines()[:6] == [
        "step 0: 1000",
        "status: '2 1 3 '",
        "region: North | South | East",
        "sex: men | women | total",
        "year: 2003 | 2004 | 2005",
        "step 1: 0",
    ]
    df = veltra.read_table(str(out))
    assert list(df.index.names) == ["region", "sex"]
    assert list(df.columns) == [("2005",)]
    assert df.loc[("East", "women"), ("2005",)] == 15
    # A value the table lacks leaves a variable without a choice that can
    # be neither summed nor eliminated: variable 3 (year), nothing written.
    bad = subprocess.run([sys.executable, script, str(work / "population.vt"), str(work / "none.vt"), "year=1999"],
                         capture_output=True, text=True, env=os.environ.copy())
    assert (bad.returncode, bad.stdout.splitlines()[-1]) == (1, "step 1: 3")
    assert not (work / "none.vt").exists()
