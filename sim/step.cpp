#include "sim/simulation.h"

#include "agents/growth.h"
#include "agents/tracks.h"
#include "agents/walk.h"
#include "model/fields.h"
#include "model/numtext.h"

namespace landuse {

void Simulation::Step()
{
    if (!worldBuilt_) {
        host_->stopTimer();
        report("There is no world to step: the last setup did not finish. Correct the text it named and "
               "press \"new Setup\".");
        return;
    }
    try {
        stepPhases();
    } catch (const ConvertError& e) {
        // A text that does not convert ends the step where it was read; the
        // timer keeps running.
        report(e.what());
    } catch (const std::exception& e) {
        // Anything else (a file a sweep cannot write) ends the run.
        host_->stopTimer();
        report(e.what());
    }
}

void Simulation::stepPhases()
{
    // Each control is converted at most once per step, at the moment it is
    // first needed.
    GrowthCounts counts(Register);
    DeferredInt maxAgents(Register, Ctl::Edit_anzAg);
    FieldSurvey& survey = workspace_.fields;
    survey.clear();
    if (maxAgents.peek() && *maxAgents.peek() > int64_t(world_.Agents.size())) {
        if (std::optional<std::string> oversized = OversizedCount(counts, world_.Cells.size()))
            throw ConvertError(*oversized);
        PlanGrowth(counts, survey, world_.Cells.size());
    }

    DiffuseFields(world_, WeightTable, rng_, survey);
    // Tested once: the growth phase creates its full number even if that
    // passes the maximum.
    if (maxAgents() > int64_t(world_.Agents.size()))
        CreateAgents({world_, WeightTable, rng_, cellChanged_, &survey}, counts);
    const FieldBounds bounds = FieldBoundsOf(world_, survey);
    // The rescale visits every cell after the growth, so it also notes what
    // the painter's FindShadeRange would scan for; no cell changes between
    // the two.
    EmptyCellSurvey& emptyCells = workspace_.emptyCells;
    if (painter_) {
        emptyCells.start(showDisplayOptions().shadeWord(), world_.Cells.size());
        NormalizeFields(world_, bounds, emptyCells);
    } else {
        NormalizeFields(world_, bounds);
    }

    // The picture shows the world before the agents move.
    if (painter_) {
        painter_->FindShadeRange(world_, emptyCells);
        painter_->ClearAgentLayer();
        painter_->RepaintCells(world_);
        if (Register.checked(Ctl::CB_showAg))
            painter_->DrawAgents(world_);
    }

    const WalkParams walk = ReadWalkParams(Register);
    DeferredInt migrationThreshold(Register, Ctl::E_migTh);
    MoveAgents(world_, walk, ReturnMode, migrationThreshold, rng_, cellChanged_);
    if (Register.checked(Ctl::CB_decay))
        DecayTracks(world_, Register.readFloat(Ctl::E_decay));
    else
        RescaleTracks(world_);

    ++StepCount;
    Register.setText(Ctl::lbl_Steps, IntToStr(StepCount));
    RecordStatistics(stats_, StepCount, world_.Agents);
    if (++RankSizeCounter == 100) {
        MeasureRankSize(world_, Tiles, TileSize, StepCount, RankSize);
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
