#include "model/simulation.h"

#include "agents/growth.h"
#include "agents/tracks.h"
#include "agents/walk.h"
#include "model/fields.h"
#include "model/numtext.h"

namespace landuse {

void Simulation::Step()
{
    try {
        DiffuseFields(world, WeightTable, Rng);
        // Tested once: the growth phase creates its full number even if that
        // passes the maximum.
        if (Register.readInt(Ctl::Edit_anzAg) > int64_t(world.Agents.size()))
            CreateAgents(*this);
        NormalizeFields(world);

        // The picture shows the world before the agents move.
        if (painter_) {
            painter_->FindShadeRange(world, Register);
            painter_->ClearAgentLayer();
            painter_->RepaintCells(world, Register);
            if (Register.checked(Ctl::CB_showAg))
                painter_->DrawAgents(world);
        }

        MoveAgents(*this);
        if (Register.checked(Ctl::CB_decay))
            DecayTracks(world, Register.readFloat(Ctl::E_decay));
        else
            RescaleTracks(world);

        ++StepCount;
        host_->setStepLabel(IntToStr(StepCount));
        RecordStatistics(Stats, StepCount, world.Agents);
        if (++RankSizeCounter == 100) {
            MeasureRankSize(world, TileSize, StepCount, RankSize);
            RankSizeCounter = 0;
        }
        if (Ana1Active)
            CheckAnalysis1();
        if (Ana2Active)
            CheckAnalysis2();
        // An equality test: a stop step at or below the count never stops the run.
        if (StepCount == StopStep)
            host_->stopTimer();
        UpdateFrameRate();
    } catch (const ConvertError& e) {
        report(e.what());
    }
}

void Simulation::UpdateFrameRate()
{
    ++FrameCount;
    const uint32_t tick = clock_();
    const uint32_t elapsed = tick - LastTick; // wraps like the system counter
    if (elapsed < 1000)
        return;
    const int32_t rate = RoundToInt(double(FrameCount) / double(elapsed) * 1000.0);
    LastTick = tick;
    FrameCount = 0;
    host_->setCaption("Group seperation || fps= " + IntToStr(rate));
}

} // namespace landuse
