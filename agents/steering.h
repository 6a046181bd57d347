#pragma once
// How an agent decides where to step: the sniffing window over the return
// tracks ahead of it and the four steering rules. Angles are whole degrees in
// the grid's frame (0 along +x, 90 along +y, downward on screen).

#include "agents/agent.h"
#include "model/cell.h"
#include "model/random.h"

#include <cstdint>

namespace landuse {

// pi as the model has always used it; it decides which way the exact
// half-way cosines and sines (30, 60, 120 ... degrees) round.
inline constexpr double ModelPi = 3.141592654;

inline constexpr int32_t SniffRoulette = 1;
inline constexpr int32_t SniffHill = 2;

// One correction of +360 below 0 and one of -360 above 360.
void NormalizeAngle(int32_t& angle);
void NormalizeAngleF(double& angle);

// Compass octant 1..8 of a whole angle in 0..360 (0..45 is 1, 316..360 is 8).
int32_t OctantOf(int32_t angle);
// The octant of a sniffing window's end at a whole angle: angle - 22.5 in
// 0..360, rounded (halves to even).
int32_t WindowOctant(int32_t angle);
// The step (-1..1, -1..1) of direction 1..8.
TStepDir DirectionStep(int32_t octant);
// Rounded cosine and sine of a heading.
TStepDir StepOfHeading(int32_t heading);
// Heading of a step, whole degrees, -180..180.
int32_t HeadingOfStep(int32_t dx, int32_t dy);

// Rebuilds the agent's candidates, scent shares and ScentSum from the return
// tracks within `threshold` degrees of its heading. One Random per candidate.
void Sniff(TAgent& agent, const TCellList& cells, int32_t threshold, TRandom& rng);

// The candidate the roulette wheel takes for a draw b in 0..99, and the one
// hill climbing takes: the largest share, earliest among equals.
int32_t RouletteIndex(const TAgent& agent, int32_t b);
int32_t HillClimbIndex(const TAgent& agent);

void ChangeHeading(TAgent& agent, TRandom& rng, int32_t angleThreshold, int32_t returnMode, int32_t wiggle,
                   int32_t sniffMode, int32_t returnNoise);
void rouletteWheel(TAgent& agent, TRandom& rng, int32_t wiggle);
void hillClimbing(TAgent& agent, TRandom& rng, int32_t wiggle);
void randomWalk(TAgent& agent, TRandom& rng, int32_t amplitude);

} // namespace landuse
