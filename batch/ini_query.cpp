#include "batch/ini_query.h"
