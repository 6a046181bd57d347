// Sample for the layer check: agents/ includes model/ and agents/.
#include "model/grid/grid.h"
#include "agent_kind.h"
