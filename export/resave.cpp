#include "export/resave.h"
