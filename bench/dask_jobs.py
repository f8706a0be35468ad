"""Throughput of many small vtbatch jobs: a local Dask cluster against one
job after another.

    /usr/bin/python3 bench/dask_jobs.py [JOBS] [WORKERS]

Needs VELTRA_VTBATCH (or an installed vtbatch) and the package on
PYTHONPATH; the jobs are those of the package's Dask test (mixed
conversions of the test tables, a few failing on purpose)."""
import os
import shutil
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "python", "tests"))
from jobkit import job_set  # noqa: E402

import veltra.dask  # noqa: E402


def folder_with_jobs(root, name, count):
    folder = os.path.join(root, name)
    os.mkdir(folder)
    for t in ("population.vt", "trade.vt", "features.vt", "quarterly.vt"):
        shutil.copy(os.path.join(HERE, "..", "tests", "data", t), folder)
    import pathlib
    return [os.path.join(folder, q) for q, *_ in job_set(pathlib.Path(folder), count)]


def main():
    count = int(sys.argv[1]) if len(sys.argv) > 1 else 1000
    workers = int(sys.argv[2]) if len(sys.argv) > 2 else os.cpu_count()
    with tempfile.TemporaryDirectory() as tmp:
        serial_jobs = folder_with_jobs(tmp, "serial", count)
        t0 = time.perf_counter()
        serial = veltra.dask.run_serial(serial_jobs)
        serial_s = time.perf_counter() - t0
        cluster_jobs = folder_with_jobs(tmp, "cluster", count)
        client = veltra.dask.local_client(workers)
        try:
            client.submit(sum, [1]).result()  # workers up before the clock starts
            t0 = time.perf_counter()
            results = veltra.dask.run_jobs(cluster_jobs, client=client)
            cluster_s = time.perf_counter() - t0
        finally:
            cluster = client.cluster
            client.close()
            cluster.close()
    ok = sum(r.ok for r in results)
    assert [r.code for r in results] == [r.code for r in serial]
    print(f"{count} jobs ({ok} ok): one after another {serial_s:.1f} s = {count / serial_s:.1f} jobs/s; "
          f"local cluster of {workers} workers {cluster_s:.1f} s = {count / cluster_s:.1f} jobs/s "
          f"({serial_s / cluster_s:.2f}x)")


if __name__ == "__main__":
    main()
