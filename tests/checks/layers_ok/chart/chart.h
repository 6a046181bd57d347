// Sample for the layer check: chart/ includes the layers below it.
#include <model/cell.h>
#include "agents/agent.hpp"
#include "chart/chart.h"
