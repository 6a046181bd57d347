#include "model/simulation.h"

// Phases whose modules come later; each keeps its place in Step and Setup.
namespace landuse {

void Simulation::CreateStatisticsSeries() {}
void Simulation::RecordStatistics() {}
void Simulation::BuildTiles() {}
void Simulation::MeasureRankSize() {}
void Simulation::ResetRankSize() {}
void Simulation::CheckAnalysis1() {}
void Simulation::CheckAnalysis2() {}

} // namespace landuse
