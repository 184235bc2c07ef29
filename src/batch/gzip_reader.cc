#include "batch/gzip_reader.h"
