// Sample for the layer check: model/ includes only model/.
#include <vector>
// #include "agents/agent.h"
  // #include "chart/chart.h"
