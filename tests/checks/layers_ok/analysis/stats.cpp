// Sample for the layer check: analysis/ includes the layers below it.
#include "analysis/stats.h"
#include "chart/chart.h"
#  include "agents/agent.hpp"
#include "model/cell.h"
