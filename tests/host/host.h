/* What a host application needs to drive the dialogues of libvtops from
   plain C: list boxes kept in memory, and small checks that report the
   line of a failure and count it. Each host_*.c is one program; it exits
   with the number of failed checks (0 when all hold). */
#ifndef VT_TEST_HOST_H
#define VT_TEST_HOST_H

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "vtlistbox.h"

#define HOST_MAX_ITEMS 4096

typedef struct host_box {
    char* items[HOST_MAX_ITEMS];
    int selected[HOST_MAX_ITEMS];
    int count;
    int current;
    vt_listbox view;
} host_box;

static int host_add(void* h, const char* text) {
    host_box* b = (host_box*)h;
    size_t n;
    if (b->count >= HOST_MAX_ITEMS) return -1;
    n = strlen(text);
    b->items[b->count] = (char*)malloc(n + 1);
    if (!b->items[b->count]) return -1;
    memcpy(b->items[b->count], text, n + 1);
    b->selected[b->count] = 0;
    return b->count++;
}

static void host_reset(void* h) {
    host_box* b = (host_box*)h;
    int i;
    for (i = 0; i < b->count; ++i) free(b->items[i]);
    b->count = 0;
    b->current = -1;
}

static int host_count(void* h) { return ((host_box*)h)->count; }

static int host_get_text(void* h, int index, char* buf, int bufsize) {
    host_box* b = (host_box*)h;
    int n;
    if (index < 0 || index >= b->count) return -1;
    n = (int)strlen(b->items[index]);
    if (bufsize > 0) {
        int k = n < bufsize - 1 ? n : bufsize - 1;
        memcpy(buf, b->items[index], (size_t)k);
        buf[k] = '\0';
    }
    return n;
}

static int host_get_sel(void* h, int index) {
    host_box* b = (host_box*)h;
    if (index < 0 || index >= b->count) return -1;
    return b->selected[index];
}

static int host_cur_sel(void* h) { return ((host_box*)h)->current; }

/* Makes b an empty box whose view the library can fill and read. */
static void box_init(host_box* b) {
    b->count = 0;
    b->current = -1;
    b->view.host = b;
    b->view.add_string = host_add;
    b->view.reset = host_reset;
    b->view.count = host_count;
    b->view.get_text = host_get_text;
    b->view.get_sel = host_get_sel;
    b->view.cur_sel = host_cur_sel;
}

static void box_free(host_box* b) { host_reset(b); }

/* Selects the item whose text is `text` (and makes it the current one);
   0 when no item has it. */
static int box_select(host_box* b, const char* text) {
    int i;
    for (i = 0; i < b->count; ++i)
        if (strcmp(b->items[i], text) == 0) {
            b->selected[i] = 1;
            b->current = i;
            return 1;
        }
    return 0;
}

/* The items joined with "|", for comparing a whole box at once. */
static const char* box_joined(const host_box* b) {
    static char out[8192];
    size_t at = 0;
    int i;
    out[0] = '\0';
    for (i = 0; i < b->count; ++i) {
        size_t n = strlen(b->items[i]);
        if (at + n + 2 >= sizeof out) break;
        if (i > 0) out[at++] = '|';
        memcpy(out + at, b->items[i], n);
        at += n;
        out[at] = '\0';
    }
    return out;
}

static int host_failures = 0;

#define CHECK(cond)                                                              \
    do {                                                                         \
        if (!(cond)) {                                                           \
            fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            ++host_failures;                                                     \
        }                                                                        \
    } while (0)

#define CHECK_INT(got, want)                                                             \
    do {                                                                                 \
        long g_ = (long)(got), w_ = (long)(want);                                        \
        if (g_ != w_) {                                                                  \
            fprintf(stderr, "%s:%d: %s is %ld, expected %ld\n", __FILE__, __LINE__, #got, g_, w_); \
            ++host_failures;                                                             \
        }                                                                                \
    } while (0)

#define CHECK_STR(got, want)                                                                \
    do {                                                                                    \
        const char* g_ = (got);                                                             \
        const char* w_ = (want);                                                            \
        if (strcmp(g_, w_) != 0) {                                                          \
            fprintf(stderr, "%s:%d: %s is \"%s\", expected \"%s\"\n", __FILE__, __LINE__, #got, g_, w_); \
            ++host_failures;                                                                \
        }                                                                                   \
    } while (0)

/* The whole file as a NUL-ended string (free it), or NULL. */
static char* read_whole(const char* path) {
    FILE* f = fopen(path, "rb");
    char* text;
    long n;
    if (!f) return NULL;
    fseek(f, 0, SEEK_END);
    n = ftell(f);
    fseek(f, 0, SEEK_SET);
    text = (char*)malloc((size_t)n + 1);
    if (text && fread(text, 1, (size_t)n, f) != (size_t)n) {
        free(text);
        text = NULL;
    }
    if (text) text[n] = '\0';
    fclose(f);
    return text;
}

/* Writes text to path; 0 when it could not. */
static int write_whole(const char* path, const char* text) {
    FILE* f = fopen(path, "wb");
    int ok;
    if (!f) return 0;
    ok = fwrite(text, 1, strlen(text), f) == strlen(text);
    return fclose(f) == 0 && ok;
}

/* dir + "/" + name in a buffer of the caller's. */
static const char* path_in(char* buf, size_t size, const char* dir, const char* name) {
    snprintf(buf, size, "%s/%s", dir, name);
    return buf;
}

#endif /* VT_TEST_HOST_H */
