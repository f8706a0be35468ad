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

#ifdef __cplusplus
}
#endif

#endif /* VTCONV_H */
