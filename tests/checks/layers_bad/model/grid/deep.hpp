// Sample for the layer check: a nested model/ header must not include chart/.
#include <chart/chart.h>
