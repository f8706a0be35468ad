"""veltra from Python.

- One function per export of libvtconv and libvtops (veltra.vtconv.*,
  veltra.vtops.*; the names of both are also here, utgraph, VelInit and
  VelGFree from libvtconv), raising VeltraError(code, meaning) for a
  positive result.
- read_table(path): a table file as a pandas DataFrame.
- run_job(query): one vtbatch job; veltra.dask.run_jobs: many on a Dask
  cluster; python3 -m veltra.batch FOLDER: every query file of a folder.

The libraries and vtbatch are found installed or through the environment
variables VELTRA_PREFIX, VELTRA_LIBVTCONV, VELTRA_LIBVTOPS, VELTRA_VTBATCH.
"""
from .errors import VeltraError, meaning
from .exports import vtconv, vtops
from .jobs import JobResult, query_outputs, run_job
from .listbox import ListBox
from .table import SYMBOL_TEXTS, read_table

__version__ = "1.0.0"

for _mod in (vtops, vtconv):  # libvtconv's wins for the names both have
    for _name in _mod.__all__:
        globals()[_name] = getattr(_mod, _name)
del _mod, _name

__all__ = ["VeltraError", "meaning", "vtconv", "vtops", "JobResult", "query_outputs", "run_job", "ListBox",
           "SYMBOL_TEXTS", "read_table"] + sorted(set(vtconv.__all__) | set(vtops.__all__))
