"""Many jobs on a local Dask cluster of process workers."""
import shutil

import pytest

distributed = pytest.importorskip("distributed", reason="skipped: python3-distributed is not installed")

import veltra.dask  # noqa: E402
from conftest import DATA  # noqa: E402
from jobkit import job_set  # noqa: E402


def copy_tables(folder):
    folder.mkdir()
    for name in ("population.vt", "trade.vt", "features.vt", "quarterly.vt"):
        shutil.copy(f"{DATA}/{name}", folder / name)


def test_two_hundred_jobs_on_a_local_cluster_match_jobs_run_alone(tmp_path):
    cluster_dir, alone_dir = tmp_path / "cluster", tmp_path / "alone"
    copy_tables(cluster_dir)
    copy_tables(alone_dir)
    jobs = job_set(cluster_dir, 200)
    # Jobs i and i + 20 convert the same table with the same function: each
    # of the 20 pairs runs once on its own for the outputs to compare with.
    job_set(alone_dir, 20)
    alone = veltra.dask.run_serial(sorted(alone_dir.glob("job*.ini")))

    seen = []
    client = veltra.dask.local_client(n_workers=2)
    try:
        assert client.cluster.scheduler_address.startswith("tcp://127.0.0.1:")
        results = veltra.dask.run_jobs([cluster_dir / q for q, *_ in jobs], client=client,
                                       progress=lambda done, total: seen.append((done, total)))
    finally:
        cluster = client.cluster
        client.close()
        cluster.close()

    assert seen[-1] == (200, 200) and len(results) == 200
    failures = 0
    for i, ((query, fn, outfile, line), got) in enumerate(zip(jobs, results)):
        assert got.query.endswith(query)
        assert got.error_line == line, query
        failures += not got.ok
        if line and line.endswith("ended OK ") and outfile != "shared.out":
            ref = alone[i % 20]
            assert ref.ok and ref.exit_code == got.exit_code
            assert (cluster_dir / outfile).read_bytes() == (alone_dir / jobs[i % 20][2]).read_bytes(), query
    assert failures == 12  # a missing table (8 jobs) or no Outfile (5), job 199 both
    # The jobs writing one file ran one after another, in the order given.
    shared = [r for (q, _f, o, _l), r in zip(jobs, results) if o == "shared.out"]
    assert len(shared) == 5
    for a, b in zip(shared, shared[1:]):
        assert a.started + a.duration <= b.started + 1e-3
    assert (cluster_dir / "shared.out").read_bytes() == (alone_dir / jobs[104 % 20][2]).read_bytes()


def test_conflict_groups_join_jobs_that_share_any_written_file(tmp_path):
    q = [str(tmp_path / f"q{i}.ini") for i in range(5)]
    outputs = {
        q[0]: [("out", str(tmp_path / "a.htm")), ("error", str(tmp_path / "e0.txt"))],
        q[1]: [("out", str(tmp_path / "b.htm")), ("error", str(tmp_path / "e0.txt"))],
        q[2]: [("out", str(tmp_path / "a.txt"))],  # its notes file is a.htm's
        q[3]: [("out", str(tmp_path / "d.htm"))],
        q[4]: [],
    }
    assert veltra.dask.conflict_groups(q, outputs) == [[0, 1, 2], [3], [4]]


def test_the_command_runs_a_folder_and_sums_up(tmp_path, capsys):
    from veltra import batch
    copy_tables(tmp_path / "jobs")
    job_set(tmp_path / "jobs", 5)
    (tmp_path / "jobs" / "job0003.ini").write_text("[Files]\nInfile=absent.vt\nOutfile=x.htm\nErrorfile=e.txt\n"
                                                  "[Query]\nFunction=html1\n")
    assert batch.main([str(tmp_path / "jobs"), "--workers", "1", "--quiet"]) == 1
    out = capsys.readouterr().out.splitlines()
    assert out[0].startswith("5 jobs, 4 ok, 1 failed; ")
    assert out[1:] == ["  job0003.ini: exit 144, Error from html1: 400"]
    with pytest.raises(SystemExit) as e:
        batch.main([str(tmp_path / "no such folder")])
    assert e.value.code == 2
