#include "export/text.h"
