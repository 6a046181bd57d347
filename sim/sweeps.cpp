// The two parameter sweeps: analysis 1 draws the land uses' weights anew for
// every run, analysis 2 steps the noise of one land use through a range.
// "start / stop" starts them; the step checks at the end of every run.

#include "sim/simulation.h"

#include "model/numtext.h"
#include "model/weighttable.h"

#include <cmath>
#include <optional>

namespace landuse {

namespace {

// ", about 0:40 left" from the runs done so far, or nothing before the
// first run has ended.
std::string timeLeft(uint32_t elapsedMs, uint32_t runsDone, std::optional<uint64_t> total)
{
    if (runsDone == 0 || !total || *total < runsDone)
        return "";
    const double perRun = double(elapsedMs) / double(runsDone);
    const double left = perRun * double(*total - runsDone) / 1000.0;
    return ", about " + ClockText(uint64_t(std::llround(left))) + " left";
}

// The runs of analysis 2 from its texts; nothing when they do not convert
// or never end.
std::optional<uint64_t> noiseRuns(const ParamRegister& reg)
{
    try {
        return NoiseSteps(reg).count(10'000'000);
    } catch (const ConvertError&) {
        return std::nullopt;
    }
}

// A sweep switched on during a run, without a start, counts from there.
uint32_t runsDone(const SweepProgress& p) { return p.run > 0 ? p.run - 1 : 0; }

} // namespace

NoiseSteps::NoiseSteps(const ParamRegister& reg)
    : increment_(StrToExtended(reg.text(Ctl::E_incre))), to_(StrToExtended(reg.text(Ctl::E_valTo2))),
      value_(double(StrToExtended(reg.text(Ctl::E_valFrom2))))
{
}

bool NoiseSteps::next()
{
    return NextNoise(value_, increment_, [this] { return to_; });
}

uint8_t SelectedNoiseRow(const ParamRegister& reg)
{
    return reg.checked(Ctl::RB_pop) ? 1 : reg.checked(Ctl::RB_serv) ? 2 : reg.checked(Ctl::RB_indu) ? 3 : 0;
}

std::optional<uint64_t> NoiseSteps::count(uint64_t most) const
{
    // Only an increasing sum can pass the end.
    if (!(increment_ > 0))
        return std::nullopt;
    NoiseSteps steps = *this;
    for (uint64_t n = 1; n <= most; ++n)
        if (!steps.next())
            return n;
    return std::nullopt;
}

void Simulation::restartWorld(bool keepRunCount)
{
    FreeWorld();
    try {
        Setup(keepRunCount);
    } catch (...) {
        host_->stopTimer();
        throw;
    }
    RankSize.ResetRankSize();
    ReadWeightTable(Register, WeightTable);
}

void Simulation::StartAnalysis1()
{
    sweeps_.RandomizeFlags = {Register.checked(Ctl::CB_pop), Register.checked(Ctl::CB_serv),
                             Register.checked(Ctl::CB_indu)};
    const std::pair<Ctl, Ctl> nulls[] = {
        {Ctl::CB_popNull, Ctl::E_crAgs}, {Ctl::CB_servNull, Ctl::E_crServ}, {Ctl::CB_induNull, Ctl::E_crIndu}};
    for (int i = 0; i < 3; ++i) {
        if (!Register.checked(nulls[i].first))
            continue;
        for (int col = 2; col <= 4; ++col)
            Register.setGridText(col, i + 1, "0,0");
        Register.setText(nulls[i].second, "0");
    }
    sweeps_.RunCount = 0;
    sweeps_.Progress1 = {clock_(), 1};
    NewRunAnalysis1();
    Register.setText(Ctl::E_stop, Register.text(Ctl::E_toSteps));
    ReadWeightTable(Register, WeightTable);
    showProgress1();
}

void Simulation::NewRunAnalysis1()
{
    const double from = Register.readFloat(Ctl::E_valFrom);
    const double to = Register.readFloat(Ctl::E_valTo);
    std::string stem;
    for (int i = 0; i < 3; ++i) {
        if (!sweeps_.RandomizeFlags[size_t(i)])
            continue;
        stem += 'V';
        stem += IntToStr(i + 1);
        for (int j = 0; j < 3; ++j) {
            const double v = RoundToDecimals(from + rng_.Random() * (to - from), 2);
            const std::string text = FloatToStr(v);
            stem += '_';
            stem += text;
            stem += '_';
            Register.setGridText(j + 2, i + 1, text);
        }
    }
    stem += "pic_";
    Register.setText(Ctl::E_pName, stem);
    restartWorld(true);
}

void Simulation::CheckAnalysis1()
{
    if (StepCount < Register.readInt(Ctl::E_toSteps))
        return;
    SavePictures();
    if (sweeps_.RunCount > uint32_t(Register.position(Ctl::UpD_runs))) {
        host_->stopTimer();
        sweepEnded(1, sweeps_.Progress1.run);
        return;
    }
    StepCount = 0;
    NewRunAnalysis1();
    sweeps_.RunCount += 1;
    sweeps_.Progress1.run += 1;
    showProgress1();
}

void Simulation::StartAnalysis2()
{
    chooseNoiseRow();
    // The texts are extended reals and the value a double, as the sweep has
    // always held them: the sum of the increments depends on it.
    StartAnalysis2At(double(StrToExtended(Register.text(Ctl::E_valFrom2))));
}

void Simulation::chooseNoiseRow()
{
    if (const uint8_t row = SelectedNoiseRow(Register))
        sweeps_.NoiseRow = row;
}

void Simulation::StartAnalysis2At(double noise)
{
    chooseNoiseRow();
    sweeps_.NoiseValue = noise;
    sweeps_.Progress2 = {clock_(), 1};
    NewRunAnalysis2(sweeps_.NoiseValue);
    Register.setText(Ctl::E_stop, Register.text(Ctl::E_toSteps2));
    ReadWeightTable(Register, WeightTable);
    showProgress2();
}

void Simulation::NewRunAnalysis2(double noise)
{
    Register.setGridText(5, sweeps_.NoiseRow, FloatToStr(noise));
    restartWorld(false);
}

void Simulation::CheckAnalysis2()
{
    if (StepCount < Register.readInt(Ctl::E_toSteps2))
        return;
    NameRunAnalysis2();
    SavePictures();
    SaveSeriesData();
    if (NextNoise(sweeps_.NoiseValue, StrToExtended(Register.text(Ctl::E_incre)),
                  [this] { return StrToExtended(Register.text(Ctl::E_valTo2)); })) {
        StepCount = 0;
        NewRunAnalysis2(sweeps_.NoiseValue);
        sweeps_.Progress2.run += 1;
        showProgress2();
    } else {
        host_->stopTimer();
        sweepEnded(2, sweeps_.Progress2.run);
    }
}

void Simulation::NameRunAnalysis2()
{
    Register.setText(Ctl::E_pName, IntToStr(sweeps_.NoiseRow) + "_" + FloatToStr(sweeps_.NoiseValue) + "_pic_");
}

void Simulation::showProgress1()
{
    const SweepProgress& p = sweeps_.Progress1;
    const uint64_t total = uint64_t(Register.position(Ctl::UpD_runs)) + 2;
    host_->showProgress("analysis 1: run " + IntToStr(p.run) + " of " + IntToStr(int64_t(total)) + ", "
                        + Register.text(Ctl::E_pName) + timeLeft(clock_() - p.startTick, runsDone(p), total));
}

void Simulation::showProgress2()
{
    const SweepProgress& p = sweeps_.Progress2;
    const std::optional<uint64_t> total = noiseRuns(Register);
    host_->showProgress("analysis 2: run " + IntToStr(p.run) + (total ? " of " + IntToStr(int64_t(*total)) : "")
                        + ", noise " + FloatToStr(sweeps_.NoiseValue)
                        + timeLeft(clock_() - p.startTick, runsDone(p), total));
}

void Simulation::sweepEnded(int analysis, uint32_t runs)
{
    host_->showProgress("analysis " + IntToStr(analysis) + ": done after " + IntToStr(runs) + " runs");
}

} // namespace landuse
