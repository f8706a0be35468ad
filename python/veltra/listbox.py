"""A host list box for the dialogue exports (varorder), kept in Python."""
import ctypes


class vt_listbox(ctypes.Structure):
    """The C struct of include/vtlistbox.h."""
    _fields_ = [
        ("host", ctypes.c_void_p),
        ("add_string", ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_char_p)),
        ("reset", ctypes.CFUNCTYPE(None, ctypes.c_void_p)),
        ("count", ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p)),
        ("get_text", ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_int, ctypes.c_void_p, ctypes.c_int)),
        ("get_sel", ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_int)),
        ("cur_sel", ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p)),
    ]


class ListBox:
    """Items (Windows-1252 bytes, shown as str), the selected indexes and the
    current item, as a host window's list box would hold them."""

    def __init__(self, items=()):
        self.items = [i if isinstance(i, bytes) else str(i).encode("cp1252") for i in items]
        self.selected = set()
        self.current = -1
        f = vt_listbox._fields_
        # The callbacks must live as long as the box: kept on the instance.
        self._struct = vt_listbox(
            None,
            f[1][1](self._add), f[2][1](self._reset), f[3][1](self._count),
            f[4][1](self._get_text), f[5][1](self._get_sel), f[6][1](self._cur_sel))

    def texts(self):
        return [i.decode("cp1252", errors="replace") for i in self.items]

    def pointer(self):
        return ctypes.pointer(self._struct)

    def _add(self, _host, text):
        self.items.append(bytes(text or b""))
        return len(self.items) - 1

    def _reset(self, _host):
        self.items.clear()
        self.selected.clear()
        self.current = -1

    def _count(self, _host):
        return len(self.items)

    def _get_text(self, _host, index, buf, size):
        if not 0 <= index < len(self.items):
            return -1
        text = self.items[index]
        if buf and size > 0:
            part = text[: size - 1]
            ctypes.memmove(buf, part + b"\0", len(part) + 1)
        return len(text)

    def _get_sel(self, _host, index):
        if not 0 <= index < len(self.items):
            return -1
        return 1 if index in self.selected else 0

    def _cur_sel(self, _host):
        return self.current
