// Sample for the layer check: a nested model/ header reaching model/ by a relative path.
#include "../cell.h"
#include "model/cell.h"
#include "agents/route.h"
