"""Reads a written worksheet or dBase file back with an independent reader
and prints what that reader sees, one line per cell or record, for the C++
tests to compare with the table.

    readback.py xls FILE   every non-empty cell of the first sheet:
                           row <TAB> column <TAB> N <TAB> repr(number)
                           row <TAB> column <TAB> L <TAB> hex of the text in cp1252
    readback.py dbf FILE   the field names, then one line per record, the
                           fields separated by tabs: numbers as repr(float),
                           texts as hex of the text in cp1252, "None" for an
                           empty number

Texts are compared as bytes of the tables' code page (Windows-1252): the
worksheet is read with that encoding, the dBase file with code page 850,
the one its texts are written in. Exit status 3 when the reader module is
missing (the reason on standard error), 2 for a bad call.
"""
import sys


def text(s):
    return s.encode("cp1252").hex()


def value(v):
    if v is None:
        return "None"
    if isinstance(v, (int, float)):
        return repr(float(v))
    return text(v)


def read_xls(path):
    try:
        import xlrd
    except ImportError as e:
        sys.stderr.write("xlrd not installed: %s\n" % e)
        sys.exit(3)
    book = xlrd.open_workbook(path, encoding_override="cp1252")
    sheet = book.sheet_by_index(0)
    for r in range(sheet.nrows):
        for c in range(sheet.ncols):
            cell = sheet.cell(r, c)
            if cell.ctype == xlrd.XL_CELL_NUMBER:
                print("%d\t%d\tN\t%r" % (r, c, float(cell.value)))
            elif cell.ctype == xlrd.XL_CELL_TEXT and cell.value != "":
                print("%d\t%d\tL\t%s" % (r, c, text(cell.value)))


def read_dbf(path):
    try:
        import dbfread
    except ImportError as e:
        sys.stderr.write("dbfread not installed: %s\n" % e)
        sys.exit(3)
    table = dbfread.DBF(path, encoding="cp850", char_decode_errors="strict")
    print("\t".join(text(name) for name in table.field_names))
    for record in table:
        print("\t".join(value(record[name]) for name in table.field_names))


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("xls", "dbf"):
        sys.stderr.write("usage: readback.py xls|dbf FILE\n")
        sys.exit(2)
    (read_xls if sys.argv[1] == "xls" else read_dbf)(sys.argv[2])


main()
