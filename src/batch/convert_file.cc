#include "batch/convert_file.h"
