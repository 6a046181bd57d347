// Sample for the layer check: a clean model/ header.
#include <cstdint>
