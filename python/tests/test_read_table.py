"""read_table: the frame libvtconv hands over for a table file."""
import math
import os
import subprocess

import numpy as np
import pandas as pd
import pytest

import veltra
from conftest import vtgen_path


def test_population_reads_as_its_whole_frame(data):
    df = veltra.read_table(os.path.join(data, "population.vt"))
    rows = pd.MultiIndex.from_product([["North", "South", "East"], ["men", "women", "total"]],
                                      names=["region", "sex"])
    columns = pd.MultiIndex.from_product([["2003", "2004", "2005"]], names=["year"])
    nan = math.nan
    want = pd.DataFrame([[1200.4, 1210.0, 1225.6], [1190.0, 1201.5, 1219.9], [2390.4, 2411.5, 2445.5],
                         [830, nan, 845], ["-", 840, 851.25], [830, 1680, 1696.25],
                         [0, 12.5, nan], [13, 14, 15], [13, 26.5, 15]], index=rows, columns=columns)
    symbols = pd.DataFrame([[0] * 3] * 9, index=rows, columns=columns)
    symbols.iloc[3, 1], symbols.iloc[4, 0], symbols.iloc[6, 2] = 2, 8, 1
    want = want.replace("-", nan).astype(float)
    pd.testing.assert_frame_equal(df, want)
    pd.testing.assert_frame_equal(df.attrs["symbols"], symbols.astype(np.int8))
    assert {k: df.attrs[k] for k in ("title", "contents", "units", "matrix", "decimals", "showdecimals")} == {
        "title": "Population by region, sex and year", "contents": "Population", "units": "persons",
        "matrix": "BE0101A1", "decimals": 1, "showdecimals": 0}
    assert df.attrs["symbol_texts"][2] == ".." and df.attrs["symbol_texts"][8] == "-"
    by_code = veltra.read_table(os.path.join(data, "population.vt"), labels="code")
    assert list(by_code.index[:4]) == [("01", "1"), ("01", "2"), ("01", "T"), ("02", "1")]


def test_every_table_reads_with_one_row_per_stub_combination(data):
    for name in sorted(os.listdir(data)):
        df = veltra.read_table(os.path.join(data, name))
        assert df.shape[0] * df.shape[1] == df.attrs["symbols"].size
        assert df.isna().values.sum() == (df.attrs["symbols"].values != 0).sum(), name


def test_read_problems_raise_the_readers_code(work):
    (work / "broken.vt").write_bytes(b'MATRIX="x";\nDATA=\n1;\n')
    cases = [("missing.vt", 400), ("broken.vt", None)]
    for name, code in cases:
        with pytest.raises(veltra.VeltraError) as e:
            veltra.read_table(str(work / name))
        assert e.value.code == code if code else 100 <= e.value.code <= 206
        assert e.value.meaning


def test_a_generated_table_reads_cell_for_cell(tmp_path):
    path = tmp_path / "gen.vt"
    subprocess.run([vtgen_path(), "--stub", "20,30", "--heading", "10", "--decimals", "2",
                    "--symbols", "2", "-o", str(path)], check=True, capture_output=True)
    df = veltra.read_table(str(path))
    assert df.shape == (600, 10)
    sym = df.attrs["symbols"].values
    assert (sym != 0).any() and (sym != 0).sum() == df.isna().values.sum()
    # The cells as the C library's own delimited export prints them.
    cells = tmp_path / "gen.txt"
    veltra.cellkonv(str(path), str(cells), ";", text="S1;S2;S3;S4;S5;S6;S7;S8")
    lines = cells.read_text(encoding="cp1252").splitlines()
    for r in (0, 299, 599):
        printed = lines[r].split(";")
        for c, text in enumerate(printed):
            if text.startswith("S"):
                assert sym[r, c] == int(text[1:])
            else:
                assert round(df.iat[r, c], 2) == float(text)
