#include "sim/simulation.h"

// The parameter sweeps are built on these: started by "start / stop",
// checked at the end of every step after the rank-size measure.
namespace landuse {

void Simulation::StartAnalysis1() {}
void Simulation::StartAnalysis2() {}
void Simulation::CheckAnalysis1() {}
void Simulation::CheckAnalysis2() {}

} // namespace landuse
