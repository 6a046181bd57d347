// The batch runner as a script or a cluster job would use it.

#include "batch/batch_runner.h"
#include "render/world_raster.h"
#include "sim/headless_host.h"
#include "sim/simulation.h"

#include "support/shell.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;
using landuse::test::shell;
using landuse::test::ShellResult;

const std::string Batch = LANDUSE_BATCH_EXE;
const std::string Runner = LANDUSE_RUN_EXE;

// A small world, so that a run of a hundred steps takes a few milliseconds.
const std::string Small = " --set Edit_size=8";

ShellResult batch(const std::string& args) { return shell(Batch + " " + args + " 2>&1"); }

std::string readFile(const fs::path& path) { return landuse::test::ReadAll(path); }

// Every file below a folder, by its path relative to it, with its bytes.
std::map<std::string, std::string> filesBelow(const fs::path& dir)
{
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        if (e.is_regular_file())
            files[fs::relative(e.path(), dir).generic_string()] = readFile(e.path());
    return files;
}

size_t lines(const std::string& text) { return size_t(std::count(text.begin(), text.end(), '\n')); }

std::string replayOf(const fs::path& runJson)
{
    std::smatch m;
    const std::string json = readFile(runJson);
    if (!std::regex_search(json, m, std::regex("\"replay\": \"([^\"]*)\"")))
        return {};
    return m[1];
}

} // namespace

TEST(Batch, RunsDoNotDependOnWorkersOrShards)
{
    const fs::path top = landuse::test::FreshFolder("landuse-batch-");
    const std::string experiment = "analysis1 %s --seed 11 --runs 5 --set E_toSteps=110" + Small;
    const auto at = [&](const std::string& dir) {
        std::string args = experiment;
        args.replace(args.find("%s"), 2, (top / dir).string());
        return args;
    };
    ShellResult r = batch(at("one") + " -j1");
    ASSERT_EQ(r.status, 0) << r.output;
    r = batch(at("two") + " -j 2");
    ASSERT_EQ(r.status, 0) << r.output;
    // Two shards into one folder, as two array tasks would run them.
    r = batch(at("shards") + " --shard 1/2");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("shard 1/2 with 2 runs"), std::string::npos) << r.output;
    r = shell("SLURM_ARRAY_TASK_ID=0 SLURM_ARRAY_TASK_COUNT=2 " + Batch + " " + at("shards") + " 2>&1");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("shard 0/2 with 3 runs"), std::string::npos) << r.output;
    EXPECT_EQ(lines(readFile(top / "shards" / "runs-shard-0-of-2.csv")), 4u);
    r = batch("merge " + (top / "shards").string());
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("merged 5 of 5 runs"), std::string::npos) << r.output;

    const std::string table = readFile(top / "one" / "runs.csv");
    ASSERT_EQ(lines(table), 6u) << table;
    // Analysis 1 draws all nine weights of each run: they are its varied columns.
    EXPECT_EQ(table.substr(0, table.find('\n')),
              "run,seed,WPopPop,WPopServ,WPopIndu,WServPop,WServServ,WServIndu,WInduPop,WInduServ,WInduIndu,"
              "step,agents,successful,travel_time,migrated,returning,intercept_K,correlation_r,slope,avg_diff");
    EXPECT_EQ(readFile(top / "two" / "runs.csv"), table);
    EXPECT_EQ(readFile(top / "shards" / "runs.csv"), table);

    // Every file of every run, pictures and worksheets included, byte for byte.
    const auto one = filesBelow(top / "one" / "runs");
    EXPECT_EQ(one.size(), 5u * 8u);
    EXPECT_EQ(filesBelow(top / "two" / "runs"), one);
    EXPECT_EQ(filesBelow(top / "shards" / "runs"), one);
    // Different runs differ.
    EXPECT_NE(one.at("000001/stats.csv"), one.at("000002/stats.csv"));
}

TEST(Batch, ResumeSkipsCompleteRunsAndRedoesAnIncompleteOne)
{
    const fs::path dir = landuse::test::FreshFolder("landuse-batch-");
    const std::string command = "repeat " + dir.string() + " --runs 4 --set E_stop=60" + Small;
    ShellResult r = batch(command + " --seed 5");
    ASSERT_EQ(r.status, 0) << r.output;
    const std::string table = readFile(dir / "runs.csv");
    const fs::path run1 = dir / "runs" / "000001";
    const fs::path run2 = dir / "runs" / "000002";
    const std::string stats2 = readFile(run2 / "stats.csv");

    // Run 1 stays as it is; run 2 lost its completion mark mid-way and holds
    // a stray file; the table lost its rows, as after a crash.
    std::ofstream(run1 / "stats.csv", std::ios::app) << "kept\n";
    fs::remove(run2 / "run.json");
    std::ofstream(run2 / "stray.txt") << "half-written";
    std::ofstream(dir / "runs.csv", std::ios::trunc) << "run,seed\n";

    r = batch(command); // the seed comes from the folder
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("master seed 5; 3 complete already, 1 worker\n"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("4 of 4 runs complete; 1 made"), std::string::npos) << r.output;
    EXPECT_TRUE(readFile(run1 / "stats.csv").ends_with("kept\n"));
    EXPECT_FALSE(fs::exists(run2 / "stray.txt"));
    EXPECT_EQ(readFile(run2 / "stats.csv"), stats2);
    EXPECT_EQ(readFile(dir / "runs.csv"), table);

    // Another setting in the same folder would mix two experiments.
    r = batch(command + " --set E_crAgs=2");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.output.find("it holds another experiment (repeat, seed 5, 4 runs"), std::string::npos) << r.output;
}

TEST(Batch, AnalysisTwoMakesThirteenRunsWithTheWindowsStems)
{
    const fs::path dir = landuse::test::FreshFolder("landuse-batch-");
    ShellResult r = batch("analysis2 " + (dir / "batch").string() + " --seed 3 --set E_toSteps2=3 --set Edit_size=10");
    ASSERT_EQ(r.status, 0) << r.output;
    std::set<std::string> batchFiles;
    for (int run = 0; run < 13; ++run) {
        const fs::path folder = dir / "batch" / "runs" / (std::string(run < 10 ? "00000" : "0000") + std::to_string(run));
        for (const char* sub : {"pictures", "data"})
            for (const std::string& name : landuse::test::NamesIn(folder / sub))
                batchFiles.insert(std::string(sub) + "/" + name);
    }
    EXPECT_FALSE(fs::exists(dir / "batch" / "runs" / "000013"));
    EXPECT_EQ(batchFiles.size(), 13u * 4u);
    EXPECT_TRUE(batchFiles.count("pictures/1_12_pic_1.jpg"));

    // The window's sweep with the same settings, started by "start / stop".
    landuse::WorldRaster raster;
    landuse::HeadlessHost host(dir / "window", &raster);
    landuse::Simulation sim(&host, 3);
    sim.setPainter(&raster);
    sim.Create();
    for (const char* s : {"Edit_size=10", "E_toSteps2=3", "CB_actAna2=1"})
        sim.controls().assign(s);
    ASSERT_TRUE(sim.NewSetup());
    fs::create_directories(dir / "window" / "pictures");
    fs::create_directories(dir / "window" / "data");
    sim.StartStop();
    for (int i = 0; i < 100 && host.timerRunning(); ++i)
        sim.Step();
    ASSERT_FALSE(host.timerRunning());
    std::set<std::string> windowFiles;
    for (const char* sub : {"pictures", "data"})
        for (const std::string& name : landuse::test::NamesIn(dir / "window" / sub))
            windowFiles.insert(std::string(sub) + "/" + name);
    EXPECT_EQ(batchFiles, windowFiles);
}

TEST(Batch, ARunIsReplayedByTheRunnerWithItsSeedAndSettings)
{
    const fs::path dir = landuse::test::FreshFolder("landuse-batch-");
    ShellResult r = batch("repeat " + (dir / "repeat").string()
                          + " --runs 2 --seed 8 --set E_stop=150 --set CB_migrate=1 --set 'E_pName=my run_'" + Small);
    ASSERT_EQ(r.status, 0) << r.output;
    r = batch("analysis2 " + (dir / "noise").string()
              + " --seed 8 --set E_toSteps2=120 --set RB_serv=1 --set E_valFrom2=0,5 --set E_valTo2=2" + Small);
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_TRUE(fs::exists(dir / "repeat" / "runs" / "000001" / "pictures" / "my run_1.jpg"));
    EXPECT_TRUE(fs::exists(dir / "noise" / "runs" / "000001" / "data" / "2_1,5_pic_5.xls"));

    for (const fs::path& run : {dir / "repeat" / "runs" / "000001", dir / "noise" / "runs" / "000001"}) {
        const std::string replay = replayOf(run / "run.json");
        ASSERT_EQ(replay.rfind("landuse-run --seed ", 0), 0u) << replay;
        const fs::path stats = run.parent_path().parent_path() / "replayed.csv";
        r = shell(Runner + replay.substr(std::string("landuse-run").size()) + " --stats " + stats.string() + " 2>&1");
        ASSERT_EQ(r.status, 0) << replay << "\n" << r.output;
        EXPECT_EQ(readFile(stats), readFile(run / "stats.csv")) << replay;
    }
    // The seed in the table is the one the runner was given.
    const std::string table = readFile(dir / "noise" / "runs.csv");
    EXPECT_NE(replayOf(dir / "noise" / "runs" / "000001" / "run.json").find(table.substr(table.find("\n1,") + 3, 8)),
              std::string::npos);
}

TEST(Batch, BadInputExitsTwoWithOneLineBeforeAnyRun)
{
    const fs::path dir = landuse::test::FreshFolder("landuse-batch-");
    const fs::path params = dir / "bad.params";
    std::ofstream(params) << "# a comment\n\nE_crAgs=2\nthis line has no equals sign\n";
    std::ofstream(dir / "file") << "a file, not a folder";
    const std::string out = (dir / "out").string();
    struct Case {
        std::string args;
        std::string message;
    };
    const Case cases[] = {
        {"analysis2 " + out + " --set E_nope=1", "unknown control 'E_nope'"},
        {"analysis2 " + out + " --set E_crAgs=3x", "E_crAgs: '3x' is not a valid integer value"},
        {"analysis2 " + out + " --shard 3/2", "--shard: '3/2': I must be from 0 to N - 1"},
        {"analysis2 " + (dir / "file" / "out").string(), "Not a directory"},
        {"analysis2 " + out + " --params " + (dir / "missing.params").string(), "missing.params': no such file"},
        {"analysis2 " + out + " --params " + params.string(),
         "bad.params:4: 'this line has no equals sign' is not of the form NAME=TEXT"},
        {"repeat " + out, "repeat needs --runs N"},
        {"analysis2 " + out + " --runs 3", "--runs does not apply to analysis2"},
        {"analysis2 " + out + " --set E_incre=0", "E_incre: the noise from '0,0' by '0' does not pass E_valTo2"},
        {"analysis3 " + out, "'analysis3' is no experiment"},
        {"analysis1 " + out + " -j 0", "-j: 0 workers"},
    };
    for (const Case& c : cases) {
        const ShellResult r = batch(c.args);
        EXPECT_EQ(r.status, 2) << c.args << "\n" << r.output;
        EXPECT_EQ(lines(r.output), 1u) << r.output;
        EXPECT_EQ(r.output.rfind("landuse-batch: ", 0), 0u) << r.output;
        EXPECT_NE(r.output.find(c.message), std::string::npos) << c.args << "\n" << r.output;
        EXPECT_FALSE(fs::exists(out)) << c.args;
    }
    // A Slurm array task outside the array's count.
    const ShellResult r
        = shell("SLURM_ARRAY_TASK_ID=5 SLURM_ARRAY_TASK_COUNT=2 " + Batch + " analysis2 " + out + " --seed 1 2>&1");
    EXPECT_EQ(r.status, 2) << r.output;
    EXPECT_NE(r.output.find("array task 5 is not one of 2 tasks"), std::string::npos) << r.output;
    EXPECT_FALSE(fs::exists(out));
}

TEST(Batch, SigtermStopsAfterTheCurrentRunsAndTheSameCommandGoesOn)
{
    const fs::path dir = landuse::test::FreshFolder("landuse-batch-");
    const fs::path out = dir / "out";
    const fs::path err = dir / "err.txt";
    // Runs of a few seconds each, so the signal comes while they work.
    const char* args[] = {"analysis2", out.c_str(), "--seed", "4", "-j", "2", "--set", "E_toSteps2=2500",
                          "--set", "E_valTo2=3", "--set", "Edit_size=4", nullptr};
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::signal(SIGTERM, SIG_DFL);
        const int fd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(fd, STDERR_FILENO);
        std::vector<char*> argv{const_cast<char*>(Batch.c_str())};
        for (const char* a : args)
            argv.push_back(const_cast<char*>(a));
        ::execv(Batch.c_str(), argv.data());
        ::_exit(127);
    }
    // Both workers are under way once the first two run folders exist.
    for (int i = 0; i < 3000 && !fs::exists(out / "runs" / "000001" / "pictures"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    // A second start on the same runs would remove the folders this one writes.
    for (const std::string& also : {std::string(), std::string(" --shard 1/2")}) {
        const ShellResult second = batch("analysis2 " + out.string() + also);
        EXPECT_EQ(second.status, 2) << second.output;
        EXPECT_NE(second.output.find("another landuse-batch is working on its runs"), std::string::npos)
            << second.output;
    }
    ::kill(pid, SIGTERM);
    int raw = 0;
    ::waitpid(pid, &raw, 0);
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 143) << raw;
    const std::string message = readFile(err);
    EXPECT_TRUE(std::regex_search(message, std::regex("stopped by SIGTERM: [0-9] of 4 runs complete"))) << message;

    // The runs under way when the signal came were finished, not dropped.
    size_t complete = 0;
    for (const auto& e : fs::directory_iterator(out / "runs")) {
        const bool done = fs::exists(e.path() / "run.json");
        complete += done ? 1 : 0;
        EXPECT_TRUE(done) << e.path() << " was left half-done";
    }
    EXPECT_GE(complete, 2u);
    EXPECT_LT(complete, 4u) << "the signal came too late to test anything";
    const std::string table = readFile(out / "runs.csv");
    EXPECT_EQ(lines(table), complete + 1) << table;

    const ShellResult r = batch("analysis2 " + out.string() + " -j 2 --set E_toSteps2=2500 --set E_valTo2=3"
                                + " --set Edit_size=4");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(lines(readFile(out / "runs.csv")), 5u);
}

TEST(Batch, ShardsStartingTogetherOnAFreshFolderBothRun)
{
    // As the tasks of an array job start: at once, on a folder none has made.
    const fs::path top = landuse::test::FreshFolder("landuse-batch-");
    for (int attempt = 0; attempt < 20; ++attempt) {
        const std::string out = (top / std::to_string(attempt)).string();
        const std::string args = " analysis2 " + out + " --seed 2 --set E_toSteps2=1 --set E_valTo2=1 --set Edit_size=10";
        const ShellResult r = shell("(" + Batch + args + " --shard 0/2 & " + Batch + args
                                    + " --shard 1/2 & wait $!; b=$?; wait; a=$?; echo status $a $b) 2>&1");
        ASSERT_NE(r.output.find("status 0 0"), std::string::npos) << "attempt " << attempt << "\n" << r.output;
        ASSERT_EQ(batch("merge " + out).status, 0);
    }
}

TEST(Batch, WorkersDefaultToTheProcessorsThisProcessMayUse)
{
    const fs::path top = landuse::test::FreshFolder("landuse-batch-");
    const std::string args = " repeat %s --runs 3 --seed 1 --set E_stop=5 --set Edit_size=10 2>&1";
    const auto at = [&](const char* dir) {
        std::string a = args;
        return a.replace(a.find("%s"), 2, (top / dir).string());
    };
    ShellResult r = shell("taskset -c 0 " + Batch + at("one"));
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("0 complete already, 1 worker\n"), std::string::npos) << r.output;
    const unsigned expected = std::min(landuse::AvailableProcessors(), 3u);
    r = shell(Batch + at("all"));
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("0 complete already, " + std::to_string(expected) + (expected == 1 ? " worker\n" : " workers\n")),
              std::string::npos)
        << r.output;
}
