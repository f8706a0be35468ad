#include "core/numfmt.h"
