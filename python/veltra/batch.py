"""python3 -m veltra.batch FOLDER [--scheduler ADDRESS | --workers N]

Runs every query file of FOLDER (*.ini and *.xml, in name order) as a
vtbatch job on a Dask cluster, the one at ADDRESS or a local one of N
process workers, and prints a summary. Exit status 0 when every job
succeeded, 1 otherwise, 2 for usage errors."""
import argparse
import glob
import os
import sys
import time

from . import dask as vdask


def _bar(done, total, width=40, stream=sys.stderr):
    filled = width * done // total if total else width
    stream.write(f"\r[{'#' * filled}{'.' * (width - filled)}] {done}/{total}")
    if done == total:
        stream.write("\n")
    stream.flush()


def main(argv=None):
    parser = argparse.ArgumentParser(prog="python3 -m veltra.batch", description=__doc__.splitlines()[2])
    parser.add_argument("folder")
    parser.add_argument("--scheduler", help="address of a Dask scheduler (tcp://host:port)")
    parser.add_argument("--workers", type=int, default=None, help="local cluster size (default: one per core)")
    parser.add_argument("--vtbatch", help="the vtbatch program (default: VELTRA_VTBATCH, installed, PATH)")
    parser.add_argument("--quiet", action="store_true", help="no progress bar")
    args = parser.parse_args(argv)
    if not os.path.isdir(args.folder):
        parser.error(f"not a folder: {args.folder}")
    queries = sorted(glob.glob(os.path.join(args.folder, "*.ini")) + glob.glob(os.path.join(args.folder, "*.xml")))
    if not queries:
        print(f"no query files in {args.folder}")
        return 0
    from distributed import Client
    client = Client(args.scheduler) if args.scheduler else vdask.local_client(args.workers)
    try:
        t0 = time.perf_counter()
        results = vdask.run_jobs(queries, client=client, progress=None if args.quiet else _bar, vtbatch=args.vtbatch)
        wall = time.perf_counter() - t0
    finally:
        cluster = None if args.scheduler else client.cluster
        client.close()
        if cluster is not None:
            cluster.close()
    failed = [r for r in results if not r.ok]
    busy = sum(r.duration for r in results)
    print(f"{len(results)} jobs, {len(results) - len(failed)} ok, {len(failed)} failed; "
          f"{wall:.2f} s wall, {busy:.2f} s in jobs, {len(results) / wall:.1f} jobs/s")
    for r in failed:
        print(f"  {os.path.basename(r.query)}: exit {r.exit_code}, {r.error_line or '(no error-file line)'}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
