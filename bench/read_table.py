"""veltra.read_table against pandas.read_csv of the same numbers.

    /usr/bin/python3 bench/read_table.py VTGEN [CELLS]

Generates a table of CELLS cells (default 10 million) with vtgen, then in
fresh processes reads it with read_table and reads the same cells as a CSV
file with pandas.read_csv; prints wall and CPU time, MB/s of file and the peak memory
added by the read as a multiple of the cells' 8 bytes each. Needs the
libraries (VELTRA_LIBVTCONV or installed) and the package on PYTHONPATH."""
import os
import subprocess
import sys
import tempfile

CHILD = r"""
import resource, sys, time
import numpy, pandas, veltra
kind, path = sys.argv[1], sys.argv[2]
def rss_kb():
    with open("/proc/self/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
base = rss_kb()
def cpu():
    r = resource.getrusage(resource.RUSAGE_SELF)
    return r.ru_utime + r.ru_stime
c0 = cpu()
t0 = time.perf_counter()
df = veltra.read_table(path) if kind == "vt" else pandas.read_csv(path, header=None, dtype=numpy.float64)
took = time.perf_counter() - t0
used = cpu() - c0
peak = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss
print(took, used, (peak - base) * 1024, df.size)
"""


def measure(kind, path, repeats=3):
    best = None
    for _ in range(repeats):
        out = subprocess.run([sys.executable, "-c", CHILD, kind, path], capture_output=True, text=True, check=True)
        took, used, added, cells = out.stdout.split()
        row = (float(took), float(used), int(added), int(cells))
        best = row if best is None or row[0] < best[0] else best
    return best


def main():
    vtgen, cells = sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 10_000_000
    with tempfile.TemporaryDirectory() as tmp:
        vt, csv = os.path.join(tmp, "big.vt"), os.path.join(tmp, "big.csv")
        subprocess.run([vtgen, "--cells", str(cells), "--decimals", "2", "--symbols", "2", "-o", vt], check=True)
        import veltra
        df = veltra.read_table(vt)
        df.to_csv(csv, header=False, index=False, float_format="%.2f")
        del df
        for kind, path in (("vt", vt), ("csv", csv)):
            took, used, added, n = measure(kind, path)
            size = os.path.getsize(path)
            name = "veltra.read_table" if kind == "vt" else "pandas.read_csv "
            print(f"{name}: {n} cells, {size / 1e6:.1f} MB file, {took:.2f} s = {size / 1e6 / took:.0f} MB/s "
                  f"(CPU {used:.2f} s = {size / 1e6 / used:.0f} MB/s), "
                  f"peak memory added {added / 1e6:.0f} MB = {added / (8 * n):.2f} x the cells")


if __name__ == "__main__":
    main()
