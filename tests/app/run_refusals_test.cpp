// The runner's refusals: each ends with status 2, says in one line what was
// wrong, and leaves nothing behind.

#include "app/message_line.h"

#include "support/shell.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>

namespace {

namespace fs = std::filesystem;
using landuse::test::NamesIn;
using landuse::test::shell;
using landuse::test::ShellResult;

const std::string Runner = LANDUSE_RUN_EXE;
const std::string Batch = LANDUSE_BATCH_EXE;

// The first line of the output, and how many lines came before the usage.
std::string firstLine(const std::string& output) { return output.substr(0, output.find('\n')); }
size_t linesBeforeUsage(const std::string& output)
{
    const std::string message = output.substr(0, output.find("usage:"));
    return size_t(std::count(message.begin(), message.end(), '\n'));
}

} // namespace

TEST(MessageLine, ControlCharactersBecomeEscapesAndTheRestStays)
{
    EXPECT_EQ(landuse::OneLine("E_crAgs: '3\n' is not a valid integer value"),
              "E_crAgs: '3\\n' is not a valid integer value");
    EXPECT_EQ(landuse::OneLine("a\tb\rc\x01" "d\x7F" "e\x1B[31m"), "a\\tb\\rc\\x01d\\x7fe\\x1b[31m");
    EXPECT_EQ(landuse::OneLine("Grad \xC3\xBC / \\ ' \""), "Grad \xC3\xBC / \\ ' \"");
    EXPECT_EQ(landuse::OneLine(""), "");
}

TEST(RunRefusals, AnEmptyPathIsRefusedNamingItsOption)
{
    const fs::path dir = landuse::test::FreshFolder("landuse-refusal-");
    for (const std::string option : {"--stats", "--ranksize", "--data", "--picture", "--animation"}) {
        const ShellResult r = shell("cd " + dir.string() + " && " + Runner + " --steps 3 " + option + " '' 2>&1");
        EXPECT_EQ(r.status, 2) << option << ": " << r.output;
        EXPECT_EQ(firstLine(r.output), "landuse-run: " + option + ": an empty path names no file");
        EXPECT_TRUE(NamesIn(dir).empty()) << option;
    }
}

TEST(RunRefusals, ATextWithALineBreakIsShownEscapedInOneLine)
{
    const fs::path dir = landuse::test::FreshFolder("landuse-refusal-");
    ShellResult r = shell(Runner + " --steps 3 --set 'E_crAgs=3\n' --stats " + (dir / "s.csv").string() + " 2>&1");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.output, "landuse-run: E_crAgs: '3\\n' is not a valid integer value\n");
    r = shell(Runner + " --steps '3\t' 2>&1");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(linesBeforeUsage(r.output), 1u) << r.output;
    EXPECT_NE(firstLine(r.output).find("'3\\t'"), std::string::npos) << r.output;
    r = shell(Batch + " repeat " + (dir / "out").string() + " --runs 1 --set 'E_crServ=x\ny' 2>&1");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << r.output;
    EXPECT_NE(r.output.find("--set"), std::string::npos) << r.output;
    EXPECT_EQ(NamesIn(dir), std::set<std::string>{}) << "nothing written";
}

TEST(RunRefusals, AnOutputNamedAsAnothersTemporaryFileIsRefusedAndLeavesNothing)
{
    const fs::path dir = landuse::test::FreshFolder("landuse-refusal-");
    fs::create_symlink("target.csv", dir / "link.csv");
    for (const char* args : {"--ranksize link.csv.part --stats link.csv", "--stats link.csv --ranksize link.csv.part",
                             "--stats a.csv --picture a.csv.part"}) {
        const ShellResult r = shell("cd " + dir.string() + " && " + Runner + " --steps 3 " + args + " 2>&1");
        EXPECT_EQ(r.status, 2) << args << ": " << r.output;
        EXPECT_NE(r.output.find("temporary \".part\" file"), std::string::npos) << args << ": " << r.output;
        EXPECT_EQ(NamesIn(dir), std::set<std::string>{"link.csv"}) << args;
    }
}
