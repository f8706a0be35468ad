/* Marks the functions the shared libraries export. Everything else in them
   is hidden (the build hides symbols by default and each library's linker
   version script lists its exports). */
#ifndef VTEXPORT_H
#define VTEXPORT_H

#if defined(__GNUC__)
#define VT_EXPORT __attribute__((visibility("default")))
#else
#define VT_EXPORT
#endif

#endif /* VTEXPORT_H */
