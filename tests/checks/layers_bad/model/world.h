// Sample for the layer check: model/ must not include agents/.
#include "model/cell.h"
#include "agents/agent.h"
// #include "chart/chart.h"
