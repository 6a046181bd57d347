#include "agents/walk.h"

#include "agents/steering.h"
#include "agents/tracks.h"
#include "model/numtext.h"

#include <algorithm>
#include <cmath>

namespace landuse {

namespace {

// Keeps Random(noise + 1) and the sign draw within 32 bits whatever is typed.
constexpr int32_t MaxReturnNoise = 1'000'000'000;

} // namespace

WalkParams ReadWalkParams(const ParamRegister& reg)
{
    WalkParams p;
    p.threshold = reg.position(Ctl::TrB_thresh);
    p.wiggle = reg.position(Ctl::SB_wiggle);
    const double noise = std::clamp(RoundHalfEven(reg.readFloat(Ctl::E_noise)), -double(MaxReturnNoise),
                                    double(MaxReturnNoise));
    p.returnNoise = int32_t(noise);
    p.consume = reg.readFloat(Ctl::E_CProbab);
    p.sniffMode = reg.checked(Ctl::rb_rulette) ? SniffRoulette : reg.checked(Ctl::rb_hill) ? SniffHill : 0;
    p.migrate = reg.checked(Ctl::CB_migrate);
    return p;
}

int32_t NeighbourAgents(const TCellList& cells, int x, int y)
{
    int32_t sum = 0;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            int nx = x + dx;
            int ny = y + dy;
            WrapCoords(nx, ny, cells.countX(), cells.countY());
            sum += cells.at(nx, ny).AgentCount;
        }
    }
    return sum - 1;
}

void Migrate(World& world, TAgent& agent, int32_t threshold, const CellChanged& cellChanged)
{
    TCellList& cells = world.Cells;
    if (NeighbourAgents(cells, agent.PosX, agent.PosY) < threshold || cells.at(agent.PosX, agent.PosY).LandUse != Empty)
        return;
    TCell& old = cells.at(agent.HomeX, agent.HomeY);
    const int32_t kind = old.LandUse;
    old.LandUse = Empty;
    // Only a residential home carries population potential with it; a home
    // that was painted over moves its code and nothing else.
    if (kind == Residential)
        old.Potential[0] = old.Potential[0] > 1 ? old.Potential[0] - 1 : 0;
    agent.HomeX = agent.PosX;
    agent.HomeY = agent.PosY;
    agent.Migrated = 1;
    TCell& home = cells.at(agent.HomeX, agent.HomeY);
    home.LandUse = kind;
    if (kind == Residential)
        home.Potential[0] += 1;
    cellChanged(agent.HomeX, agent.HomeY);
}

void MoveAgents(World& world, const WalkParams& p, int32_t returnMode, DeferredInt& migrationThreshold,
                TRandom& rng, const CellChanged& cellChanged)
{
    std::vector<TAgent>& agents = world.Agents;
    if (agents.empty())
        return;
    TCellList& cells = world.Cells;
    const GridGeometry& g = world.Geometry;
    const int countX = g.CellCountX;
    const int countY = g.CellCountY;
    const size_t n = agents.size();
    constexpr size_t Ahead = 4;
    for (size_t i = 0; i < n; ++i) {
        // Agents stand anywhere on the grid: fetch the cells around one a few
        // places ahead while this one walks.
        // A cell's neighbours in a row may lie on the lines before and after
        // its own.
        if (i + Ahead < n) {
            const TAgent& next = agents[i + Ahead];
            const int y = next.PosY;
            const int x = next.PosX;
            const int left = x > 0 ? x - 1 : countX - 1;
            const int right = x < countX - 1 ? x + 1 : 0;
            for (const int row : {y > 0 ? y - 1 : countY - 1, y, y < countY - 1 ? y + 1 : 0}) {
                __builtin_prefetch(&cells.at(left, row).ReturnTrackValue);
                __builtin_prefetch(&cells.at(right, row).ReturnTrackValue);
            }
        }
        TAgent& a = agents[i];
        if (a.State == Returning)
            a.Heading = HeadingOfStep(a.HomeX - a.PosX, a.HomeY - a.PosY);
        Sniff(a, cells, p.threshold, rng);
        ChangeHeading(a, rng, p.threshold, returnMode, p.wiggle, p.sniffMode, p.returnNoise);

        int tx = a.PosX + a.StepX;
        int ty = a.PosY + a.StepY;
        a.TripSteps += 1;
        WrapCoords(tx, ty, countX, countY);
        TCell& here = cells.at(a.PosX, a.PosY);
        TCell& target = cells.at(tx, ty);

        if (a.State == Returning)
            here.ReturnTrackValue += ReturnTrackMark;
        // Arrival is tested where the agent starts its step.
        if (a.State == Returning && a.PosX == a.HomeX && a.PosY == a.HomeY) {
            a.State = Searching;
            a.Successful = 1;
            a.Heading += 180;
            a.TripSteps = 0;
        }
        if (target.LandUse >= Destination && a.State == Searching) {
            if (!(rng.Random() > p.consume))
                a.State = Returning;
        }
        if (target.LandUse == Barrier) {
            a.Heading += rng.Random(360);
            NormalizeAngle(a.Heading);
        } else {
            here.TrackValue += TrackMark;
            a.PosX = tx;
            a.PosY = ty;
            a.PixelX = a.PosX * g.CellSize + g.HalfCell;
            a.PixelY = a.PosY * g.CellSize + g.HalfCell;
            here.AgentCount -= 1;
            target.AgentCount += 1;
        }
        if (a.Migrated == 0 && p.migrate)
            Migrate(world, a, migrationThreshold(), cellChanged);
    }
}

} // namespace landuse
