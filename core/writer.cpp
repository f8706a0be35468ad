#include "core/writer.h"
