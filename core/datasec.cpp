#include "core/datasec.h"
