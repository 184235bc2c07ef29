#include "app/update_check.h"
