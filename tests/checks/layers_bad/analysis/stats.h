// Sample for the layer check: analysis/ must not include ui/.
#include "chart/plot.h"
#include "ui/window.h"
