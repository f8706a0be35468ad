"""vtbatch jobs from Python: one job, and the files jobs write."""
import dataclasses
import os
import subprocess
import time

from . import _lib
from .errors import VeltraError, meaning


@dataclasses.dataclass
class JobResult:
    """What one vtbatch job did.

    exit_code: the process's exit status (the code modulo 256); code: the
    whole result code, from the error-file line when the job wrote one;
    error_line: that line (None when the job wrote none); duration in
    seconds; started: the wall-clock time the job began (time.time())."""
    query: str
    exit_code: int
    code: int
    error_line: str | None
    duration: float
    started: float = 0.0

    @property
    def ok(self):
        return self.code <= 0


def query_outputs(query_files, vtbatch=None):
    """{query: [(kind, absolute file)]} of the files each query would write
    (kind "out" or "error"), asked of vtbatch itself, which reads the
    queries as a job does. Relative names are taken in the query's folder,
    where the jobs run."""
    vtbatch = vtbatch or _lib.vtbatch_path()
    by_folder = {}
    for q in query_files:
        q = os.path.abspath(os.fspath(q))
        by_folder.setdefault(os.path.dirname(q), []).append(q)
    out = {}
    for folder, queries in by_folder.items():
        for start in range(0, len(queries), 500):
            chunk = queries[start:start + 500]
            done = subprocess.run([vtbatch, "--outputs", *chunk], cwd=folder, capture_output=True, check=True)
            for q in chunk:
                out[q] = []
            for line in done.stdout.decode("latin-1").splitlines():
                q, kind, name = line.split("\t", 2)
                out[q].append((kind, os.path.normpath(os.path.join(folder, name))))
    return out


def _whole_code(status, line):
    """The whole result code: the number on an "Error from" line, 0 for an
    "ended OK" line, else the exit status (the driver's own 701..717 come
    back from their low bits when no line was written)."""
    if line and line.startswith("Error from ") and ":" in line:
        try:
            return int(line.rsplit(":", 1)[1])
        except ValueError:
            pass
    if line and line.endswith(" ended OK "):
        return status - 256 if status > 128 else status
    if 189 <= status <= 205:  # 701..717 without a line
        return status + 512
    return status


def run_job(query_path, errorfile=None, vtbatch=None, check=True):
    """Runs the vtbatch job `query_path` in the query file's folder (the
    job's relative file names are taken there) and returns a JobResult.
    check: raise VeltraError when the job failed. errorfile: the job's
    error file (found by asking vtbatch when not given)."""
    vtbatch = vtbatch or _lib.vtbatch_path()
    query = os.path.abspath(os.fspath(query_path))
    if errorfile is None:
        errors = [f for kind, f in query_outputs([query], vtbatch)[query] if kind == "error"]
        errorfile = errors[-1] if errors else ""
    before = _stamp(errorfile)
    started = time.time()
    t0 = time.perf_counter()
    status = subprocess.run([vtbatch, os.path.basename(query)], cwd=os.path.dirname(query),
                            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode
    duration = time.perf_counter() - t0
    line = None
    if errorfile and _stamp(errorfile) != before:
        with open(errorfile, "rb") as f:
            line = f.read().decode("cp1252", errors="replace")
    result = JobResult(query, status, _whole_code(status, line), line, duration, started)
    if check and not result.ok:
        raise VeltraError(result.code, meaning(result.code, "vtbatch"), os.path.basename(query))
    return result


def _stamp(path):
    """What tells whether a job wrote the file: (mtime, inode, size)."""
    try:
        st = os.stat(path)
    except OSError:
        return None
    return (st.st_mtime_ns, st.st_ino, st.st_size)
