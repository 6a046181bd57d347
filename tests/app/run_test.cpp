// The headless runner as a script would use it.

#include "render/world_raster.h"
#include "sim/simulation.h"

#include "support/composed_world.h"
#include "support/shell.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Minutes of work: a run given this many steps that is not refused at once
// keeps a test busy long enough to notice.
const std::string LongRun = "--steps 200000";

using Result = landuse::test::ShellResult;
using landuse::test::shell;

const std::string Runner = LANDUSE_RUN_EXE;

Result run(const std::string& args) { return shell(Runner + " " + args + " 2>&1"); }

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

fs::path tempDir(const std::string& suffix = "")
{
    const fs::path dir = fs::temp_directory_path()
        / ("landuse-run-test-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name())
           + suffix);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

std::set<std::string> names(const fs::path& dir)
{
    std::set<std::string> found;
    for (const auto& entry : fs::directory_iterator(dir))
        found.insert(entry.path().filename().string());
    return found;
}

// A JPEG file's pixels as djpeg decodes them: 0xFFRRGGBB words, rows from
// the top; empty when it cannot.
struct Decoded {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

Decoded decodeJpeg(const fs::path& file)
{
    Decoded d;
    const Result ppm = shell("djpeg -pnm '" + file.string() + "' 2>/dev/null");
    std::istringstream in(ppm.output);
    std::string magic;
    int maxValue = 0;
    in >> magic >> d.width >> d.height >> maxValue;
    if (ppm.status != 0 || magic != "P6" || maxValue != 255)
        return {};
    const std::string bytes = ppm.output.substr(size_t(in.tellg()) + 1);
    if (bytes.size() != size_t(d.width) * size_t(d.height) * 3)
        return {};
    for (size_t i = 0; i < bytes.size(); i += 3)
        d.pixels.push_back(0xFF000000u | uint32_t(uint8_t(bytes[i])) << 16 | uint32_t(uint8_t(bytes[i + 1])) << 8
                           | uint8_t(bytes[i + 2]));
    return d;
}

// Summed over the channels of the pixels where `where` holds.
int64_t difference(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b,
                   const std::vector<bool>& where)
{
    int64_t sum = 0;
    for (size_t i = 0; i < a.size(); ++i)
        if (where[i])
            for (int shift : {0, 8, 16})
                sum += std::abs(int((a[i] >> shift) & 0xFF) - int((b[i] >> shift) & 0xFF));
    return sum;
}

bool isFifo(const fs::path& file)
{
    struct stat st {};
    return ::lstat(file.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
}

} // namespace

TEST(Runner, BadInputEndsWithStatusTwoAndOneLine)
{
    const fs::path dir = tempDir();
    const std::string outputs = " --stats " + (dir / "s.csv").string() + " --ranksize " + (dir / "r.csv").string()
        + " --data " + (dir / "data").string();
    struct Case {
        std::string args;
        std::string message;
    } cases[] = {
        {"--set E_nope=1", "unknown control 'E_nope'"},
        {"--set TrB_thresh=4x", "TrB_thresh: '4x' is not a valid integer value"},
        {"--set Edit_size=abc", "Edit_size: 'abc' is not a valid integer value"},
        {"--set E_noise=1,5,5", "E_noise: '1,5,5' is not a valid floating point value"},
        {"--set 'StringGrid1[2,2]=0.'", "StringGrid1[2,2]: '0.' is not a valid floating point value"},
        {"--set E_tileSz=x", "E_tileSz: 'x' is not a valid integer value"},
        {"--set E_toSteps=", "E_toSteps: '' is not a valid integer value"},
        {"--set E_valFrom=1..0", "E_valFrom: '1..0' is not a valid floating point value"},
        {"--set CB_decay=0 --set E_decay=x", "E_decay: 'x' is not a valid floating point value"},
        {"--set E_stop=", "E_stop: '' is not a valid integer value"},
        {"--set TrB_thresh=999", "TrB_thresh: 999 is outside 0 to 180"},
        {"--set UpD_tileSz=51", "UpD_tileSz: 51 is outside 2 to 50"},
        {"--set E_tileSz=1", "E_tileSz: 1 is outside 2 to 50"},
        {"--set CB_FieldNr=7", "CB_FieldNr: 7 is outside 0 to 2"},
        {"--set CB_migrate=yes", "CB_migrate: 'yes' is not a valid state (use 1 or 0)"},
        {"--set E_crAgs=" + std::string(100, '7'),
         "E_crAgs: '" + std::string(40, '7') + "...' is not a valid integer value"},
        {"--set E_pName=../x",
         "E_pName: '../x' contains a path separator; it starts file names and cannot name a folder"},
        // Found by the step, after every file was opened.
        {"--set E_crServ=100000000",
         "step 1: E_crServ: 100000000 new cells per step are more than the 40804 cells of the world"},
    };
    for (const Case& c : cases) {
        const Result r = run(LongRun + " " + c.args + outputs);
        EXPECT_EQ(r.status, 2) << c.args;
        EXPECT_EQ(r.output, "landuse-run: " + c.message + "\n") << c.args;
        EXPECT_EQ(names(dir), std::set<std::string>{}) << c.args << ": no file, no .part, no data folder";
    }
    for (const char* args : {"--steps", "--steps ten", "--frobnicate", "--seed 3", "--steps 5 --set"}) {
        const Result r = run(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_EQ(r.output.rfind("landuse-run: ", 0), 0u) << args;
    }
}

TEST(Runner, OutputPathsAreCheckedBeforeTheFirstStep)
{
    const fs::path dir = tempDir();
    std::ofstream(dir / "afile") << "a file";
    fs::create_directory(dir / "folder");
    const std::string d = dir.string();
    struct Case {
        std::string args;
        std::string message;
    } cases[] = {
        {"--ranksize " + d + "/missing/r.csv", "Cannot write \"" + d + "/missing/r.csv\": No such file or directory"},
        {"--stats " + d + "/afile/s.csv", "Cannot write \"" + d + "/afile/s.csv\": Not a directory"},
        {"--stats " + d + "/folder", "Cannot write \"" + d + "/folder\": Is a directory"},
        {"--ranksize " + d + "/folder/", "Cannot write \"" + d + "/folder/\": Is a directory"},
        {"--data " + d + "/afile", "Cannot create folder \"" + d + "/afile\": Not a directory"},
        {"--data " + d + "/new --ranksize " + d + "/missing/r.csv",
         "Cannot write \"" + d + "/missing/r.csv\": No such file or directory"},
        {"--picture " + d + "/missing/w.jpg", "Cannot write \"" + d + "/missing/w.jpg\": No such file or directory"},
        {"--picture " + d + "/folder", "Cannot write \"" + d + "/folder\": Is a directory"},
    };
    for (const Case& c : cases) {
        const Result r = run(LongRun + " " + c.args);
        EXPECT_EQ(r.status, 2) << c.args;
        EXPECT_EQ(r.output, "landuse-run: " + c.message + "\n") << c.args;
        EXPECT_EQ(names(dir), (std::set<std::string>{"afile", "folder"})) << c.args;
        EXPECT_TRUE(fs::is_empty(dir / "folder")) << c.args;
    }
}

TEST(Runner, TwoOptionsForOneFileAreRefused)
{
    const fs::path dir = tempDir();
    fs::create_directory(dir / "sub");
    std::ofstream(dir / "old.csv") << "old";
    fs::create_hard_link(dir / "old.csv", dir / "hard.csv");
    fs::create_symlink("a.csv", dir / "link.csv");
    const std::set<std::string> before = names(dir);
    struct Case {
        std::string args;
        std::string message;
    } cases[] = {
        {"--stats ./a.csv --ranksize a.csv", "Cannot write \"a.csv\": --ranksize and --stats (\"./a.csv\") name the same file"},
        {"--stats a.csv --ranksize sub/../a.csv",
         "Cannot write \"sub/../a.csv\": --ranksize and --stats (\"a.csv\") name the same file"},
        {"--stats a.csv --ranksize link.csv", "Cannot write \"link.csv\": --ranksize and --stats (\"a.csv\") name the same file"},
        {"--stats old.csv --ranksize hard.csv",
         "Cannot write \"hard.csv\": --ranksize and --stats (\"old.csv\") name the same file"},
        {"--stats - --ranksize -", "Cannot write \"-\": --ranksize and --stats (\"-\") name the same file"},
        {"--stats a.csv --ranksize a.csv.part",
         "Cannot write \"a.csv.part\": --ranksize and --stats (\"a.csv\") would meet in a temporary \".part\" file"},
        {"--data d --stats d/001_pic_4.xls",
         "Cannot write \"d/001_pic_4.xls\": --data and --stats (\"d/001_pic_4.xls\") name the same file"},
        {"--stats w.jpg --picture ./w.jpg",
         "Cannot write \"./w.jpg\": --picture and --stats (\"w.jpg\") name the same file"},
        {"--picture link.csv --ranksize a.csv",
         "Cannot write \"link.csv\": --picture and --ranksize (\"a.csv\") name the same file"},
    };
    for (const Case& c : cases) {
        const Result r = shell("cd " + dir.string() + " && " + Runner + " " + LongRun + " " + c.args + " 2>&1");
        EXPECT_EQ(r.status, 2) << c.args;
        EXPECT_EQ(r.output, "landuse-run: " + c.message + "\n") << c.args;
        EXPECT_EQ(names(dir), before) << c.args;
        EXPECT_EQ(readFile(dir / "old.csv"), "old") << c.args;
    }
}

TEST(Runner, StandardOutputAndPipesAreWrittenInPlace)
{
    const fs::path dir = tempDir();
    const std::string common = "--steps 60 --seed 3 --set E_crAgs=4 ";
    ASSERT_EQ(run(common + "--stats " + (dir / "ref.csv").string()).status, 0);
    const std::string expected = readFile(dir / "ref.csv");
    ASSERT_EQ(expected.rfind("step,agents,successful,travel_time,migrated,returning\n1,4,", 0), 0u);

    // The summary line moves to standard error, away from the data.
    const fs::path err = dir / "err.txt";
    const Result out = shell(Runner + " " + common + "--stats - 2>" + err.string());
    EXPECT_EQ(out.status, 0);
    EXPECT_EQ(out.output, expected);
    EXPECT_NE(readFile(err).find("60 steps in "), std::string::npos);

    const fs::path pipe = dir / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    auto reader = std::async(std::launch::async, [&] { return readFile(pipe); });
    const Result r = run(common + "--stats " + pipe.string());
    // A runner that never opened the pipe would leave the reader waiting.
    if (reader.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
        const int fd = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    }
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(reader.get(), expected);
    EXPECT_TRUE(isFifo(pipe)) << "the pipe must not be renamed over";
    EXPECT_EQ(names(dir), (std::set<std::string>{"ref.csv", "err.txt", "pipe"}));
}

TEST(Runner, SignalEndsTheRunAndLeavesNoFiles)
{
    struct Case {
        int signal;
        int status;
        bool waitingForPipe; // --ranksize names a pipe nobody reads
        std::string message;
    } cases[] = {
        {SIGTERM, 143, false, "^landuse-run: stopped by SIGTERM after [0-9]+ steps\n$"},
        {SIGINT, 130, false, "^landuse-run: stopped by SIGINT after [0-9]+ steps\n$"},
        {SIGTERM, 143, true, "^landuse-run: stopped by SIGTERM\n$"},
    };
    const fs::path top = tempDir();
    for (const Case& c : cases) {
        const fs::path dir = top / "out";
        fs::remove_all(dir);
        fs::create_directory(dir);
        const fs::path err = top / "err.txt";
        const std::string stats = (dir / "s.csv").string();
        const std::string rankSize = (dir / (c.waitingForPipe ? "pipe" : "r.csv")).string();
        const std::string data = (dir / "data").string();
        if (c.waitingForPipe) {
            ASSERT_EQ(::mkfifo(rankSize.c_str(), 0600), 0);
        }

        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            // As an interactive shell would start it, whatever this test inherited.
            ::signal(SIGINT, SIG_DFL);
            ::signal(SIGTERM, SIG_DFL);
            const int fd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(fd, STDOUT_FILENO);
            ::dup2(fd, STDERR_FILENO);
            ::execl(Runner.c_str(), Runner.c_str(), "--steps", "200000", "--seed", "1", "--stats", stats.c_str(),
                    "--ranksize", rankSize.c_str(), "--data", data.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        // The stats file's temporary file shows that the run is under way.
        int raw = 0;
        bool exited = false;
        for (int i = 0; i < 6000 && !fs::exists(stats + ".part") && !exited; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            exited = ::waitpid(pid, &raw, WNOHANG) == pid;
        }
        EXPECT_TRUE(fs::exists(stats + ".part")) << "the run never started";
        if (!exited) {
            ::kill(pid, c.signal);
            ::waitpid(pid, &raw, 0);
        }
        EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == c.status) << "signal " << c.signal << ", raw status " << raw;
        const std::string message = readFile(err);
        EXPECT_TRUE(std::regex_search(message, std::regex(c.message))) << message;
        const std::set<std::string> left = names(dir);
        EXPECT_EQ(left, c.waitingForPipe ? std::set<std::string>{"pipe"} : std::set<std::string>{})
            << "signal " << c.signal;
    }
}

TEST(Runner, EveryKernelChoiceGivesTheSameRun)
{
    const fs::path dir = tempDir();
    const std::string common = "--steps 400 --seed 9 --set CB_decay=1 --set CB_migrate=1";
    const auto statsWith = [&](const std::string& environment, const std::string& args, const std::string& name) {
        const fs::path file = dir / (name + ".csv");
        const Result r = shell(environment + Runner + " " + common + args + " --stats " + file.string() + " 2>&1");
        EXPECT_EQ(r.status, 0) << name << ": " << r.output;
        return readFile(file);
    };
    const std::string portable = statsWith("", " --kernels portable", "portable");
    EXPECT_EQ(std::count(portable.begin(), portable.end(), '\n'), 401);
    EXPECT_EQ(statsWith("", " --kernels best", "best"), portable);
    EXPECT_EQ(statsWith("LANDUSE_KERNELS=portable ", "", "env"), portable);
    EXPECT_EQ(statsWith("LANDUSE_KERNELS=fast ", " --kernels portable", "option-first"), portable);

    const Result avx512 = run(common + " --kernels avx512 --stats " + (dir / "avx512.csv").string());
    if (avx512.status == 0) {
        EXPECT_EQ(readFile(dir / "avx512.csv"), portable);
    } else {
        EXPECT_EQ(avx512.status, 2);
        EXPECT_EQ(avx512.output, "landuse-run: --kernels avx512: this processor has no AVX-512\n");
    }

    const Result badEnv = shell("LANDUSE_KERNELS=fast " + Runner + " " + LongRun + " 2>&1");
    EXPECT_EQ(badEnv.status, 2);
    EXPECT_EQ(badEnv.output, "landuse-run: LANDUSE_KERNELS: 'fast' is none of best, portable or avx512\n");
    const Result badOption = run(LongRun + " --kernels fast");
    EXPECT_EQ(badOption.status, 2);
    EXPECT_EQ(badOption.output.rfind("landuse-run: --kernels: 'fast' is none of best, portable or avx512\nusage:", 0),
              0u)
        << badOption.output;
}

// A full device, /dev/stdout and a read-only folder, each in a private mount
// namespace with a /dev of its own: a fault can replace nothing of the
// machine's.
TEST(Runner, DevicesAreWrittenInPlace)
{
    if (shell("unshare -m --propagation private true 2>&1").status != 0)
        GTEST_SKIP() << "no private mount namespace here";
    const fs::path dir = tempDir();
    const std::string d = dir.string();
    ASSERT_EQ(run("--steps 5 --seed 1 --stats " + d + "/ref.csv").status, 0);
    fs::create_directory(dir / "ro");
    const std::string script = "mount -t tmpfs none /dev && mknod /dev/full c 1 7 && ln -s /proc/self/fd/1 /dev/stdout"
                               " && mount -t tmpfs -o ro none "
        + d + "/ro || exit 99\n" + Runner + " " + LongRun + " --stats /dev/full --ranksize " + d
        + "/r.csv 2>&1; echo \"status $?\"\n"
          "test -c /dev/full && echo \"full is a device\"\n"
        + Runner + " --steps 5 --seed 1 --stats /dev/stdout 2>" + d + "/summary.txt; echo \"status $?\"\n"
        + "test -L /dev/stdout && echo \"stdout is a link\"\n" + Runner + " " + LongRun + " --stats " + d
        + "/ro/s.csv 2>&1; echo \"status $?\"\n";
    const Result r = shell("unshare -m --propagation private sh -c '" + script + "' 2>&1");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(r.output, "landuse-run: Cannot write \"/dev/full\": No space left on device\nstatus 2\n"
                        "full is a device\n"
                        + readFile(dir / "ref.csv") + "status 0\nstdout is a link\nlanduse-run: Cannot write \"" + d
                        + "/ro/s.csv\": Read-only file system\nstatus 2\n");
    EXPECT_NE(readFile(dir / "summary.txt").find("5 steps in "), std::string::npos);
    EXPECT_EQ(names(dir), (std::set<std::string>{"ref.csv", "summary.txt", "ro"}));
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
    EXPECT_EQ(names(dir / "data"), (std::set<std::string>{"run.5_3.xls", "run.5_4.xls", "run.5_5.xls"}));
    const std::string xml = readFile(dir / "data" / "run.5_5.xls");
    EXPECT_NE(xml.find("<series title=\"max mark\" type=\"Line\""), std::string::npos);
    EXPECT_NE(xml.find("max mark\" type=\"Line\" color=\"#008000\">\r\n<points count=\"0\">"), std::string::npos);

    const Result empty = run("--steps 3 --seed 1 --set E_pName= --data " + (dir / "data2").string());
    ASSERT_EQ(empty.status, 0) << empty.output;
    EXPECT_EQ(names(dir / "data2"), (std::set<std::string>{"3.xls", "4.xls", "5.xls"}));
}

TEST(Runner, PictureIsTheComposedWorldAfterTheLastStep)
{
    const fs::path dir = tempDir();
    const std::vector<std::string> agents{"CB_showAg=1", "CB_showOrig=0"};
    std::string args = "--steps 150 --seed 4";
    for (const std::string& s : agents)
        args += " --set " + s;
    const Result r = run(args + " --picture " + (dir / "world.jpg").string());
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(names(dir), std::set<std::string>{"world.jpg"}) << "no .part file left";
    const Decoded picture = decodeJpeg(dir / "world.jpg");
    ASSERT_EQ(picture.width, 404) << "djpeg cannot decode the file; run scripts/install-deps.sh";
    ASSERT_EQ(picture.height, 404);

    const std::vector<uint32_t> withAgents = landuse::test::ComposedWorld(4, 150, agents);
    const std::vector<uint32_t> withoutAgents = landuse::test::ComposedWorld(4, 150, {"CB_showOrig=0"});
    ASSERT_EQ(withAgents.size(), picture.pixels.size());
    const std::vector<bool> everywhere(withAgents.size(), true);
    std::vector<bool> dots(withAgents.size());
    for (size_t i = 0; i < dots.size(); ++i)
        dots[i] = withAgents[i] != withoutAgents[i];
    const int64_t dotPixels = std::count(dots.begin(), dots.end(), true);
    ASSERT_GT(dotPixels, 400) << "hardly any agent drawn";
    // Close to the composed world everywhere (a JPEG is never exact), and
    // on the agents' dots much closer to it than to the world without them.
    EXPECT_LT(difference(picture.pixels, withAgents, everywhere), int64_t(withAgents.size()) * 3 * 4);
    EXPECT_LT(difference(picture.pixels, withAgents, dots) * 2, difference(picture.pixels, withoutAgents, dots));

    // Drawing changes nothing of the run.
    ASSERT_EQ(run(args + " --stats " + (dir / "a.csv").string()).status, 0);
    ASSERT_EQ(run(args + " --stats " + (dir / "b.csv").string() + " --picture " + (dir / "w2.jpg").string()).status, 0);
    EXPECT_EQ(readFile(dir / "a.csv"), readFile(dir / "b.csv"));
}
