"""vtbatch from Python: one job, its command line, the files a query writes."""
import os
import subprocess

import pytest

import veltra
from veltra import _lib
from jobkit import ini


def vtbatch(*args, cwd=None):
    return subprocess.run([_lib.vtbatch_path(), *args], cwd=cwd, capture_output=True, text=True)


def test_command_line_options():
    help_run = vtbatch("--help")
    assert help_run.returncode == 0 and "usage: vtbatch QUERYFILE" in help_run.stdout
    assert "README.md" in help_run.stdout
    table = help_run.stdout.split("Functions (INI name, XML step names, state):\n")[1]
    rows = [l.split() for l in table.splitlines()]
    by_name = {r[0]: r[-1] for r in rows}
    assert by_name["text"] == "available" and by_name["lotus"] in ("available", "n/a")
    assert list(by_name)[:3] == ["splitquarters", "splitmonths", "decimals"]
    version = vtbatch("--version")
    assert version.returncode == 0 and version.stdout.strip() == "vtbatch " + veltra.__version__
    for args, status in [(["--bogus"], 189), ([], 189), (["-x"], 189)]:
        run = vtbatch(*args)
        assert run.returncode == status and "usage" in run.stderr, args


def test_a_query_file_named_like_an_option_still_runs(work):
    (work / "-job.ini").write_text(ini("text", "population.vt", "out.txt", "err.txt"))
    assert vtbatch("-job.ini", cwd=work).returncode == 0
    assert (work / "err.txt").read_text() == "text ended OK "


def test_outputs_name_every_file_a_query_writes_without_running_it(work):
    (work / "a.ini").write_text(ini("html1", "population.vt", "a.htm", "a_err.txt"))
    (work / "b.ini").write_text(ini("html1", "population.vt", "", "b_err.txt"))
    (work / "c.xml").write_text(
        '<vtqueries>\n<vtquery step="1">\n<function>vtfile</function>\n<infile>population.vt</infile>\n'
        '<outfile>c1.vt</outfile>\n<errorfile>c_err1.txt</errorfile>\n</vtquery>\n<vtquery step="2">\n'
        '<function>text</function>\n<infile>c1.vt</infile>\n<outfile>c2.txt</outfile>\n'
        '<errorfile>c_err2.txt</errorfile>\n</vtquery>\n</vtqueries>\n')
    run = vtbatch("--outputs", "a.ini", "b.ini", "c.xml", cwd=work)
    assert run.returncode == 0
    assert run.stdout == ("a.ini\tout\ta.htm\na.ini\terror\ta_err.txt\n"
                          "c.xml\tout\tc1.vt\nc.xml\terror\tc_err1.txt\nc.xml\tout\tc2.txt\nc.xml\terror\tc_err2.txt\n")
    assert not (work / "a.htm").exists() and not (work / "c1.vt").exists()
    found = veltra.query_outputs([work / "a.ini"])
    assert found == {str(work / "a.ini"): [("out", str(work / "a.htm")), ("error", str(work / "a_err.txt"))]}


def test_run_job_reports_and_raises(work):
    cases = [  # (function, infile, outfile, code, error line)
        ("text", "population.vt", "ok.txt", 0, "text ended OK "),
        ("html1", "absent.vt", "x.htm", 400, "Error from html1: 400"),
        ("text", "population.vt", "POPULATION.VT", 713, "Error from check: 713"),
        ("text", "population.vt", "", 703, None),
    ]
    for i, (fn, infile, outfile, code, line) in enumerate(cases):
        query = work / f"q{i}.ini"
        query.write_text(ini(fn, infile, outfile, f"e{i}.txt"))
        result = veltra.run_job(query, check=False)
        assert (result.code, result.exit_code, result.error_line) == (code, code % 256, line), fn
        assert result.duration > 0
        if code:
            with pytest.raises(veltra.VeltraError) as e:
                veltra.run_job(query)
            assert e.value.code == code and e.value.meaning
    assert (work / "ok.txt").stat().st_size > 0
    assert os.path.getsize(work / "population.vt") > 0
