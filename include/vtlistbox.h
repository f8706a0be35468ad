/* A list box of the host application, as table operations see it.

   The host fills in the callbacks for one of its list boxes and passes the
   struct; operations fill the box with texts and read back the texts and
   the selection. Any callback may be left null: adding then fails, reading
   finds an empty box with nothing selected. Texts are Windows-1252 bytes,
   each ended by a NUL. */
#ifndef VTLISTBOX_H
#define VTLISTBOX_H

#ifdef __cplusplus
extern "C" {
#endif

typedef struct vt_listbox {
    /* The host's own pointer, passed back to every callback. */
    void* host;
    /* Appends an item; returns its index, or a negative number when the
       item cannot be added. */
    int (*add_string)(void* host, const char* text);
    /* Removes all items. */
    void (*reset)(void* host);
    /* The number of items (negative on error). */
    int (*count)(void* host);
    /* Copies the text of item `index` into buf, at most bufsize-1 bytes
       followed by a NUL, and returns the full length of the item's text
       (which may exceed bufsize-1: the copy is then cut), or a negative
       number for a bad index. */
    int (*get_text)(void* host, int index, char* buf, int bufsize);
    /* 1 when item `index` is selected, 0 when not, negative on error. */
    int (*get_sel)(void* host, int index);
    /* The index of the current (focused) item, or -1 when there is none. */
    int (*cur_sel)(void* host);
} vt_listbox;

#ifdef __cplusplus
}
#endif

#endif /* VTLISTBOX_H */
