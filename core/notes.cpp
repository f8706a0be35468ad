#include "core/notes.h"
