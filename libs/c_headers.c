/* Compiles the public headers as plain C, so a C host can use them. */
#include "vtconv.h"
#include "vtexport.h"
#include "vtlistbox.h"
#include "vtops.h"

/* The two libraries' common exports have one signature. */
typedef int (*vt_init_fn)(void);
static const vt_init_fn vt_c_headers_check[] = {VelInit, VelGFree};
const vt_init_fn* vt_c_headers_use(void);
const vt_init_fn* vt_c_headers_use(void) { return vt_c_headers_check; }
