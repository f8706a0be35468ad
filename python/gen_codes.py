"""Writes veltra/_codes.py from the project's code table, core/codes.h.

Run it after a code is added there (a test fails until the two agree):
    /usr/bin/python3 python/gen_codes.py
"""
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
HEADER = os.path.join(HERE, "..", "core", "codes.h")
TARGET = os.path.join(HERE, "veltra", "_codes.py")

_SECTION = re.compile(r"^// ---- ([^.:]+)")
_CODE = re.compile(r"^inline constexpr int (\w+) = (\d+);\s*//\s*(.*)$")


def codes_from_header(text):
    """(section, name, number, meaning) of every named code, in header order."""
    out, section = [], ""
    for line in text.splitlines():
        m = _SECTION.match(line.strip())
        if m:
            section = m.group(1)
            continue
        m = _CODE.match(line.strip())
        if m:
            out.append((section, m.group(1), int(m.group(2)), m.group(3).strip()))
    return out


def module_text(codes):
    lines = ['"""The project\'s result codes (written by python/gen_codes.py from core/codes.h)."""', "", "CODES = ["]
    lines += [f"    ({s!r}, {n!r}, {c}, {m!r})," for s, n, c, m in codes]
    lines += ["]", ""]
    return "\n".join(lines)


def main():
    with open(HEADER, encoding="latin-1") as f:
        text = module_text(codes_from_header(f.read()))
    with open(TARGET, "w", encoding="utf-8") as f:
        f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
