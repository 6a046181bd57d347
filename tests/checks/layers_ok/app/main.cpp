// Sample for the layer check: app/ may include every layer.
#include "analysis/stats.h"
#include "sim/run.h"
#include "ui/window.h"
#include "app/options.h"
