#include "core/cellfmt.h"
