#include "support/virtual_clock.h"
