// The two parameter sweeps, run headless: what they write into the controls,
// how many runs they make, and the files each run leaves.

#include "render/world_raster.h"
#include "model/numtext.h"
#include "sim/headless_host.h"
#include "sim/simulation.h"
#include "sim/sweeps.h"

#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <cmath>
#include <fstream>
#include <regex>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

using namespace landuse;
namespace fs = std::filesystem;

namespace {

fs::path freshFolder() { return test::FreshFolder("landuse-sweeps-"); }

std::set<std::string> namesIn(const fs::path& dir) { return test::NamesIn(dir); }

// A small world with short runs, its files in a folder of the test's own.
struct Sweep {
    fs::path folder = freshFolder();
    WorldRaster raster;
    HeadlessHost host{folder, &raster};
    Simulation sim{&host, 5};

    explicit Sweep(std::initializer_list<const char*> settings)
    {
        sim.setPainter(&raster);
        sim.Create();
        sim.controls().assign("Edit_size=10");
        for (const char* setting : settings)
            sim.controls().assign(setting);
        EXPECT_TRUE(sim.NewSetup());
    }
    // Steps while the timer runs, as the window's timer would.
    int runUntilStopped(int most = 2000)
    {
        int steps = 0;
        while (host.timerRunning() && steps < most) {
            sim.Step();
            ++steps;
        }
        return steps;
    }
    std::string grid(int col, int row) const { return sim.controls().gridText(col, row); }
};

// "V1_0,35__-0,72__0,1_": the land use's number and three weights.
const std::string Weights = "_(-?\\d+(,\\d{1,2})?)_";

} // namespace

TEST(Sweeps, AnalysisOneMakesTheRunsPlusTwoAndPicturesEachOne)
{
    Sweep s({"CB_actAna1=1", "UpD_runs=1", "E_toSteps=3"});
    s.sim.StartStop();
    ASSERT_TRUE(s.host.timerRunning());
    EXPECT_EQ(s.sim.controls().text(Ctl::E_stop), "3"); // the run length
    const int steps = s.runUntilStopped();
    EXPECT_FALSE(s.host.timerRunning());
    EXPECT_EQ(steps, 9); // 3 runs of 3 steps
    const std::set<std::string> pictures = namesIn(s.folder / "pictures");
    EXPECT_EQ(pictures.size(), 3u);
    for (const std::string& name : pictures)
        EXPECT_TRUE(std::regex_match(name, std::regex("V1(" + Weights + "){3}V2(" + Weights + "){3}V3(" + Weights
                                                      + "){3}pic_1\\.jpg")))
            << name;
    EXPECT_TRUE(namesIn(s.folder / "data").empty()); // analysis 1 saves only pictures
    EXPECT_EQ(s.host.progress.front().rfind("analysis 1: run 1 of 3, V1_", 0), 0u) << s.host.progress.front();
    EXPECT_EQ(s.host.progress.front().find("left"), std::string::npos); // no run done yet to tell
    EXPECT_EQ(s.host.progress.back(), "analysis 1: done after 3 runs");
    EXPECT_NE(s.host.progress[2].find("run 3 of 3"), std::string::npos) << s.host.progress[2];
    EXPECT_NE(s.host.progress[2].find("left"), std::string::npos) << s.host.progress[2];
}

TEST(Sweeps, AnalysisOneWritesTheDrawnWeightsAndTheStem)
{
    // All three drawn: every weight cell rewritten, within the closed range.
    Sweep all({"CB_actAna1=1", "E_valFrom=-1,0", "E_valTo=1,0"});
    for (int press = 0; press < 60; ++press) {
        all.sim.StartStop();
        std::string stem;
        for (int row = 1; row <= 3; ++row) {
            stem += 'V';
            stem += std::to_string(row);
            for (int col = 2; col <= 4; ++col) {
                const double v = StrToFloat(all.grid(col, row));
                EXPECT_GE(v, -1.0);
                EXPECT_LE(v, 1.0);
                EXPECT_EQ(FloatToStr(RoundToDecimals(v, 2)), all.grid(col, row));
                stem += '_';
                stem += all.grid(col, row);
                stem += '_';
            }
        }
        EXPECT_EQ(all.sim.controls().text(Ctl::E_pName), stem + "pic_");
        EXPECT_EQ(all.sim.weightTable().WPopPop, StrToFloat(all.grid(2, 1))); // read after the restart
    }

    // One drawn, and none: the other rows keep their texts.
    Sweep one({"CB_actAna1=1", "CB_pop=0", "CB_indu=0"});
    one.sim.StartStop();
    EXPECT_TRUE(std::regex_match(one.sim.controls().text(Ctl::E_pName), std::regex("V2(" + Weights + "){3}pic_")))
        << one.sim.controls().text(Ctl::E_pName);
    EXPECT_EQ(one.grid(2, 1), "1,0");
    EXPECT_EQ(one.grid(4, 3), "1,0");
    Sweep none({"CB_actAna1=1", "CB_pop=0", "CB_serv=0", "CB_indu=0"});
    none.sim.StartStop();
    EXPECT_EQ(none.sim.controls().text(Ctl::E_pName), "pic_");

    // A range of one value: the drawn weight equals both ends.
    Sweep edge({"CB_actAna1=1", "E_valFrom=0,5", "E_valTo=0,5"});
    edge.sim.StartStop();
    EXPECT_EQ(edge.sim.controls().text(Ctl::E_pName), "V1_0,5__0,5__0,5_V2_0,5__0,5__0,5_V3_0,5__0,5__0,5_pic_");
}

TEST(Sweeps, SetToNullZeroesTheCountsAndStillDrawsTheWeights)
{
    Sweep s({"CB_actAna1=1", "CB_popNull=1", "CB_serv=0", "CB_servNull=1"});
    s.sim.StartStop();
    EXPECT_EQ(s.sim.controls().text(Ctl::E_crAgs), "0");
    EXPECT_EQ(s.sim.controls().text(Ctl::E_crServ), "0");
    EXPECT_EQ(s.sim.controls().text(Ctl::E_crIndu), "1");
    EXPECT_NE(s.grid(2, 1), "0,0"); // drawn over the zeros
    for (int col = 2; col <= 4; ++col)
        EXPECT_EQ(s.grid(col, 2), "0,0"); // not drawn: stays zero
    s.runUntilStopped(5);
    EXPECT_TRUE(s.sim.world().Agents.empty()); // a count of 0 never grows
}

TEST(Sweeps, AnalysisTwoStepsTheNoiseAndSavesEveryRun)
{
    Sweep s({"CB_actAna2=1", "E_toSteps2=2"});
    s.sim.StartStop();
    EXPECT_EQ(s.grid(5, 1), "0");
    EXPECT_EQ(s.sim.controls().text(Ctl::E_stop), "2");
    const int steps = s.runUntilStopped();
    EXPECT_EQ(steps, 26); // 13 runs at noise 0 to 12
    std::set<std::string> pictures, data;
    for (int noise = 0; noise <= 12; ++noise) {
        const std::string stem = "1_" + std::to_string(noise) + "_pic_";
        pictures.insert(stem + "1.jpg"); // the world's picture: this host's only window
        for (int suffix = 3; suffix <= 5; ++suffix)
            data.insert(stem + std::to_string(suffix) + ".xls");
    }
    EXPECT_EQ(namesIn(s.folder / "pictures"), pictures);
    EXPECT_EQ(namesIn(s.folder / "data"), data);
    EXPECT_EQ(s.grid(5, 1), "12");
    EXPECT_EQ(s.sim.sweeps().NoiseValue, 13.0);
    EXPECT_EQ(s.sim.controls().text(Ctl::E_pName), "1_12_pic_");
    ASSERT_GE(s.host.progress.size(), 4u);
    EXPECT_EQ(s.host.progress[0], "analysis 2: run 1 of 13, noise 0");
    EXPECT_TRUE(std::regex_match(s.host.progress[3], std::regex("analysis 2: run 4 of 13, noise 3, about \\d+:\\d\\d left")))
        << s.host.progress[3];
    EXPECT_EQ(s.host.progress.back(), "analysis 2: done after 13 runs");
}

TEST(Sweeps, TheNoiseIsSummedAsTheTextsAreReadInExtendedPrecision)
{
    // In doubles 0,1 + 0,1 + 0,1 passes 0,3; read as extended reals and held
    // in a double the sum lands on 0,3 and the range gets its last run.
    Sweep s({"CB_actAna2=1", "E_toSteps2=1", "E_valFrom2=0", "E_valTo2=0,3", "E_incre=0,1", "RB_serv=1"});
    s.sim.StartStop();
    s.runUntilStopped();
    EXPECT_EQ(namesIn(s.folder / "pictures"),
              (std::set<std::string>{"2_0_pic_1.jpg", "2_0,1_pic_1.jpg", "2_0,2_pic_1.jpg", "2_0,3_pic_1.jpg"}));
    EXPECT_EQ(s.host.progress[0], "analysis 2: run 1 of 4, noise 0");
}

TEST(Sweeps, BothActiveTheFirstRestartComesBeforeTheSecondLooks)
{
    Sweep same({"CB_actAna1=1", "CB_actAna2=1", "E_toSteps=3", "E_toSteps2=3", "UpD_runs=1"});
    same.sim.StartStop();
    same.runUntilStopped();
    // Analysis 2 sees step 3 only after analysis 1's last run, which ends
    // without a restart: one save of its own, at the very end.
    EXPECT_EQ(namesIn(same.folder / "data"),
              (std::set<std::string>{"1_0_pic_3.xls", "1_0_pic_4.xls", "1_0_pic_5.xls"}));
    const std::set<std::string> pictures = namesIn(same.folder / "pictures");
    EXPECT_EQ(pictures.size(), 4u);
    EXPECT_EQ(pictures.count("1_0_pic_1.jpg"), 1u);

    Sweep shorter({"CB_actAna1=1", "CB_actAna2=1", "E_toSteps=3", "E_toSteps2=2", "E_valTo2=2,0"});
    shorter.sim.StartStop();
    shorter.runUntilStopped();
    EXPECT_EQ(namesIn(shorter.folder / "data").size(), 9u); // three runs of analysis 2
    for (const std::string& name : namesIn(shorter.folder / "pictures"))
        EXPECT_EQ(name.rfind("1_", 0), 0u) << name; // analysis 1 never reached its end
}

TEST(Sweeps, PressingStartStopDuringASweepStartsItAgain)
{
    Sweep s({"CB_actAna2=1", "E_toSteps2=4"});
    s.sim.StartStop();
    for (int i = 0; i < 6; ++i)
        s.sim.Step();
    EXPECT_EQ(s.grid(5, 1), "1"); // the second run
    s.sim.StartStop();           // pauses, and starts the sweep anew
    EXPECT_FALSE(s.host.timerRunning());
    EXPECT_EQ(s.sim.stepCount(), 0);
    EXPECT_EQ(s.grid(5, 1), "0");
    EXPECT_EQ(s.sim.sweeps().NoiseValue, 0.0);

    // Ticking the box during a run switches its check on at once.
    Sweep late({"E_toSteps=2", "UpD_runs=1"});
    late.sim.StartStop();
    late.sim.controls().setChecked(Ctl::CB_actAna1, true);
    late.sim.Step();
    late.sim.Step();
    EXPECT_EQ(late.sim.stepCount(), 0); // restarted by analysis 1's check
    EXPECT_EQ(namesIn(late.folder / "pictures"), (std::set<std::string>{"001_pic_1.jpg"}));
}

TEST(Sweeps, FailuresEndTheOperationAndNeverLeaveAWorldThatCannotStep)
{
    // A bad number at the start: its message, the timer as it was.
    Sweep bad({"CB_actAna1=1"});
    bad.sim.controls().setText(Ctl::E_valFrom, "x");
    bad.sim.StartStop();
    EXPECT_EQ(bad.host.messages, std::vector<std::string>{"'x' is not a valid floating point value"});
    EXPECT_FALSE(bad.host.timerRunning());
    bad.host.setTimer(true);
    bad.sim.StartStop();
    EXPECT_TRUE(bad.host.timerRunning());

    // Files that cannot be written: the file, the reason, the timer off.
    Sweep unwritable({"CB_actAna2=1", "E_toSteps2=2"});
    std::ofstream(unwritable.folder / "pictures") << "a file where the folder should be";
    unwritable.sim.StartStop();
    unwritable.runUntilStopped();
    EXPECT_FALSE(unwritable.host.timerRunning());
    ASSERT_EQ(unwritable.host.messages.size(), 1u);
    EXPECT_EQ(unwritable.host.messages[0].rfind("Cannot create folder \"", 0), 0u) << unwritable.host.messages[0];
    EXPECT_EQ(unwritable.sim.stepCount(), 2);

    // A restart that cannot build its world stops the run.
    Sweep restart({"CB_actAna2=1", "E_toSteps2=2"});
    restart.sim.StartStop();
    restart.sim.controls().setText(Ctl::Edit_size, "");
    restart.runUntilStopped();
    EXPECT_FALSE(restart.host.timerRunning());
    EXPECT_FALSE(restart.sim.HasWorld());
    restart.sim.Step(); // says why and does nothing
    EXPECT_NE(restart.host.messages.back().find("no world to step"), std::string::npos);
    restart.sim.controls().setText(Ctl::Edit_size, "10");
    ASSERT_TRUE(restart.sim.NewSetup());
    restart.sim.Step();
    EXPECT_EQ(restart.sim.stepCount(), 1);
}

TEST(Sweeps, OneTurnOfTheNoiseLoopSumsInExtendedPrecisionAndReadsTheEndAfterTheSum)
{
    const long double tenth = StrToExtended("0,1");
    double noise = 0;
    std::vector<double> runs;
    while (NextNoise(noise, tenth, [] { return StrToExtended("0,3"); }))
        runs.push_back(noise);
    // Each sum rounded to a double lands on 0.1, 0.2 and 0.3 (a double sum
    // would pass 0.3), and the one after is the double just below 0.4.
    EXPECT_EQ(runs, (std::vector<double>{0.1, 0.2, 0.3}));
    EXPECT_EQ(noise, std::nextafter(0.4, 0.0));

    // The sum stands when the end does not convert, as the window's check leaves it.
    double failed = 1;
    EXPECT_THROW(NextNoise(failed, 0.5L, []() -> long double { throw std::invalid_argument("end"); }),
                 std::invalid_argument);
    EXPECT_EQ(failed, 1.5);
}

TEST(Sweeps, TheNoiseRowIsTheFirstSelectedOfPopulationServiceIndustry)
{
    ParamRegister reg;
    EXPECT_EQ(SelectedNoiseRow(reg), 1); // RB_pop at start
    reg.setChecked(Ctl::RB_indu, true);
    EXPECT_EQ(SelectedNoiseRow(reg), 3);
    reg.setChecked(Ctl::RB_serv, true);
    EXPECT_EQ(SelectedNoiseRow(reg), 2);
    reg.setChecked(Ctl::RB_serv, false); // none selected now
    EXPECT_EQ(SelectedNoiseRow(reg), 0);
}
