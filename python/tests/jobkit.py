"""Small query files for job tests: one maker per kind, each returning the
query's text and what the job must leave behind."""

FUNCTIONS = ["text", "html1", "html2", "reltable", "prnmatrix", "dbase2", "vtfile", "pivotauto", "asp", "excel"]
SUFFIX = {"text": "txt", "html1": "htm", "html2": "htm", "reltable": "rel", "prnmatrix": "prn", "dbase2": "dbf",
          "vtfile": "vt", "pivotauto": "vt", "asp": "asp", "excel": "xls"}


def ini(function, infile, outfile, errorfile, extra=""):
    query = f"[Files]\nInfile={infile}\nOutfile={outfile}\nErrorfile={errorfile}\n\n[Query]\nFunction={function}\n"
    if function == "pivotauto":
        query += "PivotAlt=1\n"
    return query + extra


def job_set(folder, count, tables=("population.vt", "trade.vt", "features.vt", "quarterly.vt")):
    """Writes `count` queries into `folder`: mixed functions over the tables,
    every 25th reading a table that is not there (400), every 40th without
    an Outfile (703, no line), and jobs 100..104 all writing one output.
    Returns [(query name, function, output name, expected line or None)]."""
    out = []
    for i in range(count):
        fn = FUNCTIONS[i % len(FUNCTIONS)]
        table = tables[i % len(tables)]
        name, outfile, err = f"job{i:04d}.ini", f"out{i:04d}.{SUFFIX[fn]}", f"err{i:04d}.txt"
        expected = f"{fn} ended OK "
        if 100 <= i < 105:
            outfile = "shared.out"
        if i % 25 == 24:
            table, expected = "absent.vt", f"Error from {fn}: {1 if fn == 'vtfile' else 2 if fn == 'text' else 400}"
        if i % 40 == 39:
            outfile, expected = "", None
        (folder / name).write_text(ini(fn, table, outfile, err))
        out.append((name, fn, outfile, expected))
    return out
