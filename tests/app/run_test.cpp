// The headless runner as a script would use it.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Result {
    int status = -1;
    std::string output;
};

Result run(const std::string& args)
{
    Result r;
    const std::string command = std::string(LANDUSE_RUN_EXE) + " " + args + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return r;
    char buffer[4096];
    size_t n = 0;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        r.output.append(buffer, n);
    const int raw = pclose(pipe);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return r;
}

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

fs::path tempDir()
{
    const fs::path dir = fs::temp_directory_path()
        / ("landuse-run-test-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

} // namespace

TEST(Runner, BadInputEndsWithStatusTwoAndOneLine)
{
    const fs::path dir = tempDir();
    const std::string stats = (dir / "s.csv").string();
    struct Case {
        std::string args;
        std::string message;
    } cases[] = {
        {"--steps 5 --set E_nope=1", "landuse-run: unknown control 'E_nope'\n"},
        {"--steps 5 --set TrB_thresh=4x", "landuse-run: TrB_thresh: '4x' is not a valid integer value\n"},
        {"--steps 5 --set Edit_size=abc", "landuse-run: Edit_size: 'abc' is not a valid integer value\n"},
        {"--steps 5 --set E_noise=1,5,5 --stats " + stats,
         "landuse-run: E_noise: '1,5,5' is not a valid floating point value\n"},
        {"--steps 5 --set StringGrid1[2,2]=0. --stats " + stats,
         "landuse-run: StringGrid1[2,2]: '0.' is not a valid floating point value\n"},
    };
    for (const Case& c : cases) {
        const Result r = run(c.args);
        EXPECT_EQ(r.status, 2) << c.args;
        EXPECT_EQ(r.output, c.message) << c.args;
        EXPECT_FALSE(fs::exists(stats)) << c.args;
        EXPECT_FALSE(fs::exists(stats + ".part")) << c.args;
    }
    for (const char* args : {"--steps", "--steps ten", "--frobnicate", "--seed 3", "--steps 5 --set"}) {
        const Result r = run(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_EQ(r.output.rfind("landuse-run: ", 0), 0u) << args;
    }
}

TEST(Runner, SameSeedSameStatistics)
{
    const fs::path dir = tempDir();
    const std::string common = "--steps 120 --set E_crAgs=4 --set CB_migrate=1 --set StringGrid1[5,2]=2,5";
    ASSERT_EQ(run(common + " --seed 5 --stats " + (dir / "a.csv").string()).status, 0);
    ASSERT_EQ(run(common + " --seed 5 --stats " + (dir / "b.csv").string()).status, 0);
    ASSERT_EQ(run(common + " --seed 6 --stats " + (dir / "c.csv").string()).status, 0);
    const std::string a = readFile(dir / "a.csv");
    EXPECT_EQ(a, readFile(dir / "b.csv"));
    EXPECT_NE(a, readFile(dir / "c.csv"));

    std::istringstream lines(a);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "step,agents,successful,travel_time,migrated,returning");
    int rows = 0;
    while (std::getline(lines, line))
        ++rows;
    EXPECT_EQ(rows, 120);
    EXPECT_NE(a.find("\n120,480,"), std::string::npos); // 4 agents a step
}

TEST(Runner, SummaryLine)
{
    const Result r = run("--steps 3 --seed 1");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.output.find("3 steps in "), std::string::npos);
    EXPECT_NE(r.output.find(", 9 agents, seed 1\n"), std::string::npos);
}

TEST(Runner, WritesRankSizeRowsAndChartData)
{
    const fs::path dir = tempDir();
    const Result r = run("--steps 300 --seed 1 --set E_pName=run.5_ --ranksize " + (dir / "rs.csv").string()
                         + " --data " + (dir / "data").string());
    ASSERT_EQ(r.status, 0) << r.output;
    std::istringstream rows(readFile(dir / "rs.csv"));
    std::string line;
    std::getline(rows, line);
    EXPECT_EQ(line, "time,intercept_K,correlation_r,slope,avg_diff");
    int count = 0;
    while (std::getline(rows, line)) {
        ++count;
        EXPECT_EQ(line.rfind(std::to_string(count * 100) + ",", 0), 0u) << line;
        EXPECT_EQ(line.find(';'), std::string::npos);
        EXPECT_NE(line.find('.'), std::string::npos); // a point, for data tools
    }
    EXPECT_EQ(count, 3);
    for (const char* name : {"run.5_3.xls", "run.5_4.xls", "run.5_5.xls"})
        EXPECT_TRUE(fs::exists(dir / "data" / name)) << name;
    const std::string xml = readFile(dir / "data" / "run.5_5.xls");
    EXPECT_NE(xml.find("<series title=\"max mark\" type=\"Line\""), std::string::npos);
    EXPECT_NE(xml.find("max mark\" type=\"Line\" color=\"#008000\">\r\n<points count=\"0\">"), std::string::npos);
}
