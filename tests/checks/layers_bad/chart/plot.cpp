// Sample for the layer check: a relative path must not climb to analysis/.
#include "../analysis/stats.h"
