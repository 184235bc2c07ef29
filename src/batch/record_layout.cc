#include "batch/record_layout.h"
