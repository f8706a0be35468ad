"""The export functions against the C headers and as a host calls them."""
import os
import re
import sys

import pytest

import veltra
from veltra import _exports, exports
from conftest import REPO

sys.path.insert(0, os.path.join(REPO, "python"))
import gen_codes  # noqa: E402

_PROTO = re.compile(r"VT_EXPORT\s+([\w\s\*]+?)\s*\b(\w+)\s*\(([^)]*)\)\s*;", re.S)
_C_OF_KIND = {"path": "const char *", "text": "const char *", "textbuf": "char *", "int": "int", "uint": "unsigned int",
              "table": "const void *", "listbox": "const vt_listbox *"}
_C_OF_RESULT = {"code": "int", "one": "int", "uint": "unsigned int"}


def header_prototypes(name):
    """{export: (result type, [(C type, argument name)])} of include/<name>.h."""
    with open(os.path.join(REPO, "include", name + ".h"), encoding="latin-1") as f:
        text = f.read()
    out = {}
    for ret, fn, args in _PROTO.findall(text):
        params = []
        for a in filter(None, (x.strip() for x in " ".join(args.split()).split(","))):
            if a == "void":
                continue
            m = re.match(r"(.*?)(\w+)$", a)
            params.append((" ".join(m.group(1).replace("*", " * ").split()).replace("* ", "*").replace(" *", " *"),
                           m.group(2)))
        out[fn] = (" ".join(ret.split()), params)
    return out


def normal(ctype):
    return " ".join(ctype.replace("*", " * ").split()).replace(" * ", " *").replace(" *", " *").strip()


@pytest.mark.parametrize("lib", ["vtconv", "vtops"])
def test_every_export_of_the_header_has_its_function_with_the_same_arguments(lib):
    table = {name: (result, args) for result, name, args in exports.parse(getattr(_exports, lib.upper()))}
    protos = header_prototypes(lib)
    with open(os.path.join(REPO, "libs", lib + ".map")) as f:
        mapped = set(re.findall(r"^\s+(\w+);", f.read(), re.M))
    assert mapped == set(protos), "the header and the export list disagree"
    missing = set(protos) - set(table) - set(_exports.TABLE_API)
    assert not missing, f"exports without a Python function (add them to veltra/_exports.py): {sorted(missing)}"
    assert not set(table) - set(protos), "Python functions for exports the header lacks"
    for name, (result, args) in table.items():
        ret, params = protos[name]
        assert normal(ret) == _C_OF_RESULT[result], name
        assert [(normal(t), n) for t, n in params] == [(normal(_C_OF_KIND[k]), a) for k, a, _d in args], name
        fn = getattr(getattr(veltra, lib), name)
        assert list(fn.__signature__.parameters) == [a for _k, a, _d in args]


def test_the_code_table_is_the_one_of_the_header():
    with open(gen_codes.HEADER, encoding="latin-1") as f:
        want = gen_codes.module_text(gen_codes.codes_from_header(f.read()))
    with open(gen_codes.TARGET, encoding="utf-8") as f:
        assert f.read() == want, "run /usr/bin/python3 python/gen_codes.py"


def test_conversions_write_their_files_and_raise_with_the_meaning(work):
    table, out = str(work / "population.vt"), work / "population.cells"
    assert veltra.cellkonv(table, str(out), ";") == 0
    with open(os.path.join(REPO, "tests", "install", "population_cells.txt"), "rb") as f:
        assert out.read_bytes() == f.read()
    assert veltra.VelInit() == 1 and veltra.vtops.VelGFree() == 1
    assert veltra.SpaceSpec(1) >= 0
    cases = [  # (call, code, words of the meaning)
        (lambda: veltra.htmkonv(str(work / "none.vt"), str(work / "x.htm")), 400, "cannot be opened"),
        (lambda: veltra.TextConv(str(work / "none.vt"), str(work / "x.txt")), 2, "text report"),
        (lambda: veltra.VtReSave(str(work / "none.vt"), str(work / "x.vt")), 1, "re-save"),
        (lambda: veltra.vtops.pivot(table, str(work / "p.vt"), alt=3), 88, "neither 1 nor 2"),
        (lambda: veltra.vtops.pivot(table, table), 84, "replace the input"),
    ]
    for call, code, words in cases:
        with pytest.raises(veltra.VeltraError) as e:
            call()
        assert (e.value.code, words in e.value.meaning) == (code, True), str(e.value)
    with pytest.raises(ValueError):
        veltra.dbakonv2(table, str(work / "x.dbf"), 0, table="not a file")


def test_the_dialogue_export_fills_and_reads_python_list_boxes(work):
    table = str(work / "population.vt")
    stub, head = veltra.ListBox(), veltra.ListBox()
    assert veltra.vtops.varorder(table, "", stub, head, 1) == 0
    assert (stub.texts(), head.texts()) == (["region", "sex"], ["year"])
    stub.items.reverse()
    assert veltra.vtops.varorder(table, str(work / "turned.vt"), stub, head, 2) == 0
    assert veltra.vtops.varorder("", "", stub, head, 3) == 0
    turned = veltra.read_table(str(work / "turned.vt"))
    assert list(turned.index.names) == ["sex", "region"]
    assert turned.loc[("women", "South"), ("2004",)] == veltra.read_table(table).loc[("South", "women"), ("2004",)]
