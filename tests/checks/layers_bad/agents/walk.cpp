// Sample for the layer check: agents/ must not include sim/.
#include "agents/walk.h"
#include "model/cell.h"
#include "sim/sim.h" // for the step count
