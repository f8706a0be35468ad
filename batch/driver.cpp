#include "batch/driver.h"
