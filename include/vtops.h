/* The table operations library (libvtops). */
#ifndef VTOPS_H
#define VTOPS_H

#include "vtexport.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Prepares the library for use; returns 1. */
VT_EXPORT int VelInit(void);

/* Releases what the library holds for the host; returns 1. */
VT_EXPORT int VelGFree(void);

/* Writes the table file path as a graph data file (path2 ending in "gra")
   or a matrix file (ending in "txt" or "mtx"), tab-separated, one line per
   stub row; see utgraph in vtconv.h. 0 written, 400 a file cannot be
   opened or written or another ending, a reader code, 201 no memory for
   the data, 200 no memory. */
VT_EXPORT int utgraph(const char *path, const char *path2, const char *decimal_point,
                      const char *text_delimiter, int iteration, const char *text, int rounding,
                      int note_place);

#ifdef __cplusplus
}
#endif

#endif /* VTOPS_H */
