#include "batch/registry.h"
