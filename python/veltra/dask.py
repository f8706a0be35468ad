"""Many vtbatch jobs on a Dask distributed cluster.

Each job is one vtbatch process (the libraries keep process-wide state, so
jobs never share a process), started by a Dask worker in the query file's
folder. Jobs that write the same file (the same output or error file, or
outputs whose notes files would coincide) run one after another in the
order given, in one task; all other jobs run side by side. The workers must
see the query files and the tables under the same paths (one machine, or a
shared file system).
"""
import os

from . import _lib
from .jobs import query_outputs, run_job


def _notes_key(path):
    # The notes file of an output is its name without the extension plus
    # "notes.txt": two outputs differing only in extension share it.
    return "notes:" + os.path.splitext(path)[0]


def conflict_groups(query_files, outputs):
    """The queries in groups that must not run at once (each group in the
    order given): queries sharing a file they write end in one group."""
    parent = list(range(len(query_files)))

    def root(i):
        while parent[i] != i:
            parent[i] = parent[parent[i]]
            i = parent[i]
        return i

    owner = {}
    for i, q in enumerate(query_files):
        for kind, path in outputs.get(q, ()):
            keys = [os.path.realpath(path)]
            if kind == "out":
                keys.append(_notes_key(os.path.realpath(path)))
            for key in keys:
                if key in owner:
                    a, b = root(owner[key]), root(i)
                    parent[max(a, b)] = min(a, b)
                else:
                    owner[key] = i
    groups = {}
    for i in range(len(query_files)):
        groups.setdefault(root(i), []).append(i)
    return sorted(groups.values())


def _run_group(jobs, vtbatch):
    """Runs (index, query, error file) jobs one after another on a worker."""
    return [(i, run_job(q, errorfile=e, vtbatch=vtbatch, check=False)) for i, q, e in jobs]


def run_jobs(query_files, client=None, progress=None, vtbatch=None):
    """Runs every query file as a vtbatch job on the cluster of `client`
    (the current client when None, else a local cluster of process workers
    on 127.0.0.1 made for the call) and returns one JobResult per query, in
    the order given: exit code, whole code, error-file line and duration.
    progress(done, total) is called as jobs finish."""
    from distributed import as_completed, get_client

    queries = [os.path.abspath(os.fspath(q)) for q in query_files]
    vtbatch = os.path.abspath(vtbatch or _lib.vtbatch_path())
    outputs = query_outputs(queries, vtbatch)
    own_cluster = None
    if client is None:
        try:
            client = get_client()
        except ValueError:
            own_cluster = local_client()
            client = own_cluster
    try:
        results = [None] * len(queries)
        futures = []
        for group in conflict_groups(queries, outputs):
            jobs = []
            for i in group:
                errors = [p for kind, p in outputs[queries[i]] if kind == "error"]
                jobs.append((i, queries[i], errors[-1] if errors else ""))
            futures.append(client.submit(_run_group, jobs, vtbatch, pure=False))
        done = 0
        for future in as_completed(futures):
            for i, result in future.result():
                results[i] = result
                done += 1
            if progress:
                progress(done, len(queries))
        return results
    finally:
        if own_cluster is not None:
            cluster = own_cluster.cluster
            own_cluster.close()
            cluster.close()


def local_client(n_workers=None):
    """A client of a new local cluster: n_workers processes (one per core by
    default) of one thread each, listening on the loopback address only."""
    from distributed import Client, LocalCluster

    cluster = LocalCluster(n_workers=n_workers or os.cpu_count() or 1, threads_per_worker=1, processes=True,
                           host="127.0.0.1", dashboard_address=None)
    return Client(cluster)


def run_serial(query_files, vtbatch=None):
    """The same jobs one after another in this process, for comparison."""
    vtbatch = vtbatch or _lib.vtbatch_path()
    queries = [os.path.abspath(os.fspath(q)) for q in query_files]
    outputs = query_outputs(queries, vtbatch)
    out = []
    for q in queries:
        errors = [p for kind, p in outputs[q] if kind == "error"]
        out.append(run_job(q, errorfile=errors[-1] if errors else "", vtbatch=vtbatch, check=False))
    return out


__all__ = ["run_jobs", "local_client", "conflict_groups", "run_serial"]
