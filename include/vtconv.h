/* The table conversion library (libvtconv). */
#ifndef VTCONV_H
#define VTCONV_H

#include "vtexport.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Prepares the library for use; returns 1. */
VT_EXPORT int VelInit(void);

/* Releases what the library holds for the host; returns 1. */
VT_EXPORT int VelGFree(void);

/* Bytes of the file system holding the current directory: its total size
   when kind is 1, otherwise its free space; modulo 2^32. */
VT_EXPORT unsigned int SpaceSpec(int kind);

/* Writes the table file path again as path2: keywords read and written
   anew, data copied. ansi: 1 cell notes in the ANSI code page, 0 in code
   page 850. 0 written, 1 a file cannot be opened, a reader code, 5 no
   memory, 7 the data ended early, 6 another data problem. */
VT_EXPORT int VtReSave(const char *path, const char *path2, int ansi);

/* As VtReSave, with a new description (longer than 2 characters; the old
   one is dropped in any case), a new subject area (when set_subject is 1),
   the keys mode of the data section (0 full form, 1 keyed by value texts,
   2 by codes; keep_keys 1 keeps a table keyed by texts so). 0 written, 1 a
   file cannot be opened, a reader code, 121 a bad key, 200 no memory. */
VT_EXPORT int savevt(const char *path, const char *path2, int ignored, const char *ignored_name,
                     const char *description, const char *subject, int set_subject, int ansi,
                     int keys_mode, int keep_keys);

#ifdef __cplusplus
}
#endif

#endif /* VTCONV_H */
