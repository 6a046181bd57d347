// Sample for the layer check: even app/ must not include bench/.
#include "ui/window.h"
#include "bench/timer.h"
