#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <future>

#include "../chart/export_test_support.h"
#include "files/export_file.h"

namespace landuse {
namespace {

namespace fs = std::filesystem;
using testing::ReadWholeFile;
using testing::ScratchDir;
using Way = OutputPlan::Way;

std::string PlanError(const fs::path& file)
{
    try {
        PlanOutput(file);
    } catch (const ExportError& e) {
        return e.what();
    }
    return "no error";
}

bool IsFifo(const fs::path& file)
{
    struct stat st {};
    return ::lstat(file.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
}

TEST(OutputFile, PlanFollowsTheKindOfFile)
{
    ScratchDir scratch;
    const fs::path dir = fs::canonical(scratch.path());
    std::ofstream(dir / "old.csv") << "old";
    fs::create_symlink(dir / "old.csv", dir / "link.csv");
    fs::create_symlink("later.csv", dir / "dangling.csv");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    fs::create_directory(dir / "folder");

    struct Case {
        fs::path file;
        Way way;
        fs::path target; // empty: standard output
        bool exists;
    } cases[] = {
        {dir / "new.csv", Way::Replace, dir / "new.csv", false},
        {dir / "folder" / ".." / "new.csv", Way::Replace, dir / "new.csv", false},
        {dir / "old.csv", Way::Replace, dir / "old.csv", true},
        {dir / "link.csv", Way::Replace, dir / "old.csv", true},
        {dir / "dangling.csv", Way::Replace, dir / "later.csv", false},
        {dir / "pipe", Way::Direct, dir / "pipe", true},
        {"-", Way::StandardOutput, "", true},
    };
    for (const Case& c : cases) {
        const OutputPlan plan = PlanOutput(c.file);
        EXPECT_EQ(plan.way, c.way) << c.file;
        EXPECT_EQ(plan.target, c.target) << c.file;
        EXPECT_EQ(plan.temp, c.way == Way::Replace ? fs::path(c.target.string() + ".part") : fs::path()) << c.file;
        EXPECT_EQ(plan.exists, c.exists) << c.file;
    }

    const auto message = [](const fs::path& file, int error) {
        return "Cannot write \"" + file.string() + "\": " + std::strerror(error);
    };
    EXPECT_EQ(PlanError(dir / "folder"), message(dir / "folder", EISDIR));
    EXPECT_EQ(PlanError(dir / "missing" / "a.csv"), message(dir / "missing" / "a.csv", ENOENT));
    EXPECT_EQ(PlanError(dir / "old.csv" / "a.csv"), message(dir / "old.csv" / "a.csv", ENOTDIR));
    EXPECT_EQ(PlanError(dir / "new" / ""), message(dir / "new" / "", ENOENT));
}

TEST(OutputFile, RegularFileIsReplacedOnlyAtCommit)
{
    ScratchDir scratch;
    const fs::path dir = scratch.path();
    const fs::path file = dir / "out.csv";
    const fs::path part = dir / "out.csv.part";
    std::ofstream(file) << "old";
    fs::create_symlink(file, dir / "link.csv");
    {
        OutputFile out(PlanOutput(dir / "link.csv"));
        out.write("new");
        out.finish();
        EXPECT_EQ(ReadWholeFile(file), "old");
        EXPECT_TRUE(fs::exists(part));
    } // never committed
    EXPECT_EQ(ReadWholeFile(file), "old");
    EXPECT_FALSE(fs::exists(part));

    std::ofstream(part) << "left by a killed run";
    WriteFileReplacing(dir / "link.csv", "new");
    EXPECT_EQ(ReadWholeFile(file), "new");
    EXPECT_TRUE(fs::is_symlink(dir / "link.csv")) << "the link must stay a link";
    EXPECT_FALSE(fs::exists(part));

    // Something that is not a regular file in the temporary file's place is
    // neither written into nor removed.
    ASSERT_EQ(::mkfifo(part.c_str(), 0600), 0);
    try {
        WriteFileReplacing(file, "newer");
        ADD_FAILURE() << "expected an ExportError";
    } catch (const ExportError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot write \"" + part.string() + "\": " + std::strerror(EEXIST));
    }
    EXPECT_TRUE(IsFifo(part));
    EXPECT_EQ(ReadWholeFile(file), "new");
}

TEST(OutputFile, PipeIsWrittenInPlace)
{
    ScratchDir scratch;
    const fs::path pipe = scratch.path() / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const std::string bytes(200000, 'x'); // more than the pipe and the buffer hold
    auto reader = std::async(std::launch::async, [&] { return ReadWholeFile(pipe); });
    WriteFileReplacing(pipe, bytes);
    EXPECT_EQ(reader.get(), bytes);
    EXPECT_TRUE(IsFifo(pipe));
    EXPECT_FALSE(fs::exists(scratch.path() / "pipe.part"));
}

} // namespace
} // namespace landuse
