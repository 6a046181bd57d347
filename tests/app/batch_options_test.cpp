// The batch runner's command line, params files and Slurm array shards.

#include "app/batch_options.h"

#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

using namespace landuse;

namespace {

BatchOptions parse(std::vector<std::string> args)
{
    args.insert(args.begin(), "landuse-batch");
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    return ParseBatchOptions(int(argv.size()), argv.data());
}

std::string refusal(const std::vector<std::string>& args)
{
    try {
        parse(args);
    } catch (const std::invalid_argument& e) {
        return e.what();
    }
    return "accepted";
}

std::optional<Shard> shardOf(const std::map<std::string, std::string>& vars)
{
    return ShardFromEnvironment([&](const char* name) -> const char* {
        const auto it = vars.find(name);
        return it == vars.end() ? nullptr : it->second.c_str();
    });
}

std::string shardRefusal(const std::map<std::string, std::string>& vars)
{
    try {
        shardOf(vars);
    } catch (const std::invalid_argument& e) {
        return e.what();
    }
    return "accepted";
}

} // namespace

TEST(BatchOptions, SettingsFromParamsFilesAndSetKeepTheirOrder)
{
    const auto dir = test::FreshFolder("landuse-batch-options-");
    std::ofstream(dir / "a.params") << "# shared setting\n\n  E_crAgs=2  \r\nE_toSteps2=100\n#E_crServ=9\n";
    const BatchOptions o = parse({"analysis2", "out", "--set", "E_crAgs=1", "--params", (dir / "a.params").string(),
                                  "--set=E_toSteps2=50", "-j3", "--seed", "42", "--shard", "1/4"});
    EXPECT_EQ(o.experiment, Experiment::Analysis2);
    EXPECT_EQ(o.outDir, "out");
    // A later setting wins when they are applied in this order.
    EXPECT_EQ(o.settings, (std::vector<std::string>{"E_crAgs=1", "E_crAgs=2", "E_toSteps2=100", "E_toSteps2=50"}));
    EXPECT_EQ(o.jobs, 3u);
    EXPECT_EQ(o.seed, 42u);
    ASSERT_TRUE(o.shard);
    EXPECT_EQ(o.shard->index, 1u);
    EXPECT_EQ(o.shard->count, 4u);
    EXPECT_TRUE(parse({"merge", "out"}).merge);
}

TEST(BatchOptions, RefusalsNameTheOffendingText)
{
    const auto dir = test::FreshFolder("landuse-batch-options-");
    const std::string bad = (dir / "bad.params").string();
    std::ofstream(bad) << "E_crAgs=2\n# fine\n\nE_crServ 3\n";
    EXPECT_EQ(refusal({"analysis1", "out", "--params", bad}), bad + ":4: 'E_crServ 3' is not of the form NAME=TEXT");
    EXPECT_EQ(refusal({"analysis1", "out", "--params", (dir / "none").string()}),
              "--params: cannot read '" + (dir / "none").string() + "': no such file");
    EXPECT_EQ(refusal({"analysis1", "out", "--params", dir.string()}),
              "--params: cannot read '" + dir.string() + "': not a readable file");
    EXPECT_EQ(refusal({"analysis1", "out", "--shard", "2/2"}), "--shard: '2/2': I must be from 0 to N - 1");
    EXPECT_EQ(refusal({"analysis1", "out", "--shard", "0/0"}), "--shard: '0/0': I must be from 0 to N - 1");
    EXPECT_EQ(refusal({"analysis1", "out", "--shard", "one/2"}), "--shard: 'one/2' is not of the form I/N");
    EXPECT_EQ(refusal({"analysis1", "out", "--runs", "0"}), "--runs: an experiment makes at least 1 run");
    EXPECT_EQ(refusal({"analysis1", "out", "--runs", "-3"}), "'-3' is not a valid value for --runs");
    EXPECT_EQ(refusal({"analysis1", "out", "--set", "E_crAgs"}), "--set: 'E_crAgs' is not of the form NAME=TEXT");
    EXPECT_EQ(refusal({"analysis1", "out", "--set", "E_pName=a\nb"}), "--set: a setting cannot hold a line break");
    EXPECT_EQ(refusal({"analysis1"}), "no OUT_DIR: give the folder the runs go to");
    EXPECT_EQ(refusal({"analysis1", "out", "more"}), "unexpected 'more' after OUT_DIR");
    EXPECT_EQ(refusal({"analysis1", "out", "--frobnicate"}), "unknown option '--frobnicate'");
    EXPECT_EQ(refusal({"analysis1", "out", "--seed"}), "option --seed needs a value");
    EXPECT_EQ(refusal({"merge", "out", "--seed", "3"}), "merge takes only OUT_DIR: the experiment is read from its folder");
    EXPECT_EQ(refusal({"analysis1", "out", "--kernels", "fast"}), "--kernels: 'fast' is none of best, portable or avx512");
}

TEST(BatchOptions, SlurmArrayTasksMakeShards)
{
    EXPECT_FALSE(shardOf({}));
    EXPECT_FALSE(shardOf({{"SLURM_ARRAY_TASK_ID", ""}}));
    const std::optional<Shard> plain = shardOf({{"SLURM_ARRAY_TASK_ID", "3"}, {"SLURM_ARRAY_TASK_COUNT", "4"}});
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->index, 3u);
    EXPECT_EQ(plain->count, 4u);
    // --array=1-5 without a count: the tasks are numbered from MIN to MAX.
    const std::optional<Shard> fromOne
        = shardOf({{"SLURM_ARRAY_TASK_ID", "1"}, {"SLURM_ARRAY_TASK_MIN", "1"}, {"SLURM_ARRAY_TASK_MAX", "5"}});
    ASSERT_TRUE(fromOne);
    EXPECT_EQ(fromOne->index, 0u);
    EXPECT_EQ(fromOne->count, 5u);
    EXPECT_EQ(shardRefusal({{"SLURM_ARRAY_TASK_ID", "4"}, {"SLURM_ARRAY_TASK_COUNT", "4"}}),
              "array task 4 is not one of 4 tasks from 0 (an array with steps, such as 0-9:2, needs --shard I/N)");
    EXPECT_EQ(shardRefusal({{"SLURM_ARRAY_TASK_ID", "2"}}),
              "SLURM_ARRAY_TASK_ID is set without SLURM_ARRAY_TASK_COUNT or SLURM_ARRAY_TASK_MAX: give --shard I/N");
    EXPECT_EQ(shardRefusal({{"SLURM_ARRAY_TASK_ID", "x"}, {"SLURM_ARRAY_TASK_COUNT", "2"}}),
              "SLURM_ARRAY_TASK_ID='x' is not a task number");
}
