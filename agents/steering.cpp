#include "agents/steering.h"

#include "model/numtext.h"

#include <array>
#include <cmath>
#include <cstdlib>

namespace landuse {

namespace {

constexpr TStepDir Directions[9] = {
    {0, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}, {1, 0},
};

// A heading far outside 0..360 would leave a window end that one correction
// cannot bring back; a full modulo keeps every end on an octant.
double windowEnd(double angle)
{
    NormalizeAngleF(angle);
    if (!(angle >= 0 && angle <= 360)) {
        angle = std::fmod(angle, 360.0);
        if (angle < 0)
            angle += 360.0;
    }
    return angle;
}

void jitterHeading(TAgent& agent, TRandom& rng, int32_t amplitude)
{
    const int32_t m = rng.Random(amplitude + 1);
    const int32_t s = 2 * rng.Random(2) - 1;
    agent.Heading += s * m;
}

void takeCandidate(TAgent& agent, TRandom& rng, int32_t j, int32_t wiggle)
{
    const TStepDir step = agent.Candidates[size_t(j)];
    agent.Heading = HeadingOfStep(step.dx, step.dy);
    jitterHeading(agent, rng, wiggle);
    agent.StepX = step.dx;
    agent.StepY = step.dy;
}

void steerByScent(TAgent& agent, TRandom& rng, int32_t sniffMode, int32_t wiggle)
{
    if (sniffMode == SniffRoulette)
        rouletteWheel(agent, rng, wiggle);
    else if (sniffMode == SniffHill)
        hillClimbing(agent, rng, wiggle);
}

} // namespace

void NormalizeAngle(int32_t& angle)
{
    if (angle < 0)
        angle += 360;
    if (angle > 360)
        angle -= 360;
}

void NormalizeAngleF(double& angle)
{
    if (!(angle >= 0))
        angle += 360;
    if (angle > 360)
        angle -= 360;
}

int32_t OctantOf(int32_t angle)
{
    return angle <= 45 ? 1 : (angle + 44) / 45;
}

TStepDir DirectionStep(int32_t octant) { return Directions[octant]; }

namespace {

TStepDir stepOfHeadingExact(int32_t heading)
{
    const double r = heading * (ModelPi / 180.0);
    return {RoundToInt(std::cos(r)), RoundToInt(std::sin(r))};
}

int32_t headingOfStepExact(int32_t dx, int32_t dy)
{
    return RoundToInt(std::atan2(double(dy), double(dx)) * (180.0 / ModelPi));
}

// Every agent turns every step; the library's cosine, sine and arc tangent
// are computed once for the headings and unit steps that occur, by the same
// formulas, so the tables give the very same steps.
constexpr int32_t TableReach = 1440;

int32_t windowOctantExact(int32_t angle)
{
    return OctantOf(RoundToInt(windowEnd(angle - 22.5)));
}

struct SteeringTables {
    std::array<TStepDir, 2 * TableReach + 1> steps;
    std::array<int8_t, 2 * TableReach + 1> windowOctants;
    std::array<int32_t, 9> unitHeadings;

    SteeringTables()
    {
        for (int32_t h = -TableReach; h <= TableReach; ++h) {
            steps[size_t(h + TableReach)] = stepOfHeadingExact(h);
            windowOctants[size_t(h + TableReach)] = int8_t(windowOctantExact(h));
        }
        for (int32_t dy = -1; dy <= 1; ++dy)
            for (int32_t dx = -1; dx <= 1; ++dx)
                unitHeadings[size_t((dy + 1) * 3 + dx + 1)] = headingOfStepExact(dx, dy);
    }
};

const SteeringTables& tables()
{
    static const SteeringTables t;
    return t;
}

} // namespace

TStepDir StepOfHeading(int32_t heading)
{
    if (heading >= -TableReach && heading <= TableReach)
        return tables().steps[size_t(heading + TableReach)];
    return stepOfHeadingExact(heading);
}

int32_t WindowOctant(int32_t angle)
{
    if (angle >= -TableReach && angle <= TableReach)
        return tables().windowOctants[size_t(angle + TableReach)];
    return windowOctantExact(angle);
}

int32_t HeadingOfStep(int32_t dx, int32_t dy)
{
    if (dx >= -1 && dx <= 1 && dy >= -1 && dy <= 1)
        return tables().unitHeadings[size_t((dy + 1) * 3 + dx + 1)];
    return headingOfStepExact(dx, dy);
}

void Sniff(TAgent& agent, const TCellList& cells, int32_t threshold, TRandom& rng)
{
    if (agent.Heading < -360 || agent.Heading > 720)
        agent.Heading = ((agent.Heading % 360) + 360) % 360;
    const int32_t start = WindowOctant(agent.Heading - threshold);
    const int32_t end = WindowOctant(agent.Heading + threshold);

    int32_t count = 0;
    for (int32_t k = start;; k = k == 8 ? 1 : k + 1) {
        agent.Candidates[size_t(count++)] = Directions[k];
        if (k == end)
            break;
    }
    agent.CandidateCount = count;

    double values[8];
    double sum = 0;
    const int countX = cells.countX();
    const int countY = cells.countY();
    for (int32_t j = 0; j < count; ++j) {
        const double noise = (rng.Random() - 0.5) * 0.1;
        int x = agent.PosX + agent.Candidates[size_t(j)].dx;
        int y = agent.PosY + agent.Candidates[size_t(j)].dy;
        WrapCoords(x, y, countX, countY);
        values[j] = cells.at(x, y).ReturnTrackValue + noise;
        sum += values[j];
    }
    agent.ScentSum = sum;
    // Shares are read only when there is a scent; with none they are 0.
    for (int32_t j = 0; j < count; ++j)
        agent.Weights[size_t(j)] = sum == 0 ? 0.0 : values[j] / sum * 100;
}

void ChangeHeading(TAgent& agent, TRandom& rng, int32_t angleThreshold, int32_t returnMode, int32_t wiggle,
                   int32_t sniffMode, int32_t returnNoise)
{
    if (agent.State == Returning) {
        if (returnMode == 1 && agent.ScentSum > 0) {
            steerByScent(agent, rng, sniffMode, wiggle);
        } else {
            jitterHeading(agent, rng, std::abs(returnNoise));
            const TStepDir step = StepOfHeading(agent.Heading);
            agent.StepX = step.dx;
            agent.StepY = step.dy;
        }
    } else if (agent.State == Searching) {
        if (agent.ScentSum > 0)
            steerByScent(agent, rng, sniffMode, wiggle);
        else
            randomWalk(agent, rng, angleThreshold);
    }
    NormalizeAngle(agent.Heading);
}

int32_t RouletteIndex(const TAgent& agent, int32_t b)
{
    long double running = 0;
    for (int32_t j = 0; j < agent.CandidateCount; ++j) {
        running += agent.Weights[size_t(j)];
        if (b <= running)
            return j;
    }
    // Rounding left the running sum below the draw: the last candidate.
    return agent.CandidateCount - 1;
}

int32_t HillClimbIndex(const TAgent& agent)
{
    double best = 0;
    int32_t chosen = 0; // a positive share always exists when there is a scent
    for (int32_t j = 0; j < agent.CandidateCount; ++j) {
        if (agent.Weights[size_t(j)] > best) {
            best = agent.Weights[size_t(j)];
            chosen = j;
        }
    }
    return chosen;
}

void rouletteWheel(TAgent& agent, TRandom& rng, int32_t wiggle)
{
    const int32_t b = rng.Random(100);
    takeCandidate(agent, rng, RouletteIndex(agent, b), wiggle);
}

void hillClimbing(TAgent& agent, TRandom& rng, int32_t wiggle)
{
    takeCandidate(agent, rng, HillClimbIndex(agent), wiggle);
}

void randomWalk(TAgent& agent, TRandom& rng, int32_t amplitude)
{
    jitterHeading(agent, rng, amplitude);
    const TStepDir step = StepOfHeading(agent.Heading);
    agent.StepX = step.dx;
    agent.StepY = step.dy;
}

} // namespace landuse
