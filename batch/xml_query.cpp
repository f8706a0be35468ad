#include "batch/xml_query.h"
