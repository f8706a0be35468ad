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


def test_two_hundred_jobs_on_a_local_cluster_match_a_serial_run(tmp_path):
    cluster_dir, serial_dir = tmp_path / "cluster", tmp_path / "serial"
    copy_tables(cluster_dir)
    copy_tables(serial_dir)
    jobs = job_set(cluster_dir, 200)
    job_set(serial_dir, 200)
    serial = veltra.dask.run_serial(sorted(serial_dir.glob("job*.ini")))

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
    for (query, fn, outfile, line), got, ref in zip(jobs, results, serial):
        assert got.query.endswith(query)
        assert (got.error_line, got.code, got.exit_code) == (line, ref.code, ref.exit_code), query
        failures += not got.ok
        if line and line.endswith("ended OK ") and outfile != "shared.out":
            assert (cluster_dir / outfile).read_bytes() == (serial_dir / outfile).read_bytes(), query
    assert failures == 12  # a missing table (8 jobs) or no Outfile (5), job 199 both
    # The jobs writing one file ran one after another, in the order given.
    shared = [r for (q, _f, o, _l), r in zip(jobs, results) if o == "shared.out"]
    assert len(shared) == 5
    for a, b in zip(shared, shared[1:]):
        assert a.started + a.duration <= b.started + 1e-3
    assert (cluster_dir / "shared.out").read_bytes() == (serial_dir / "shared.out").read_bytes()


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
