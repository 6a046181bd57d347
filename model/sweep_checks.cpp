#include "model/simulation.h"

// The parameter sweeps come later; their checks keep their place in Step.
namespace landuse {

void Simulation::CheckAnalysis1() {}
void Simulation::CheckAnalysis2() {}

} // namespace landuse
