"""VeltraError and the meanings of the result codes."""
from ._codes import CODES

# Where a code is looked up first, by who returned it: the same number
# means different things in different layers (1 is a reader problem for
# most conversions but the re-save's own failure).
_ORDER = {
    "vtconv": ("Shared by every layer", "Table file reader and data section", "Conversions"),
    "vtops": ("Shared by every layer", "Table operations", "Table file reader and data section"),
    "vtbatch": ("Batch driver (vtbatch)", "Shared by every layer", "Table file reader and data section",
                "Table operations", "Conversions"),
}
# Exports whose own codes come before the shared ones.
_OWN_FIRST = {"TextConv", "VtReSave", "savevt"}


def meaning(code, source="vtconv", export=None):
    """The meaning of result `code` from `source` ("vtconv", "vtops" or "vtbatch")."""
    order = list(_ORDER.get(source, _ORDER["vtbatch"]))
    if export in _OWN_FIRST:
        order.remove("Conversions")
        order.insert(0, "Conversions")
    for section in order:
        for s, _name, number, text in CODES:
            if s == section and number == code:
                return text
    if 100 <= code <= 206:
        return "the table reader's code for a problem with one keyword"
    return "the function's own error code"


class VeltraError(Exception):
    """A non-zero result of a library export or a vtbatch job."""

    def __init__(self, code, meaning_text, function=None):
        self.code = code
        self.meaning = meaning_text
        self.function = function
        where = f"{function}: " if function else ""
        super().__init__(f"{where}{code}: {meaning_text}")

    def __reduce__(self):
        return (VeltraError, (self.code, self.meaning, self.function))
