#include <gtest/gtest.h>

#include <set>

#include "../chart/export_test_support.h"
#include "files/export_error.h"
#include "files/export_paths.h"
#include "files/export_pictures.h"
#include "analysis/export_series.h"

namespace landuse {
namespace {

using testing::ScratchDir;

std::set<std::string> Names(const std::filesystem::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

RgbImage Grey(int w, int h) { return RgbImage{w, h, std::vector<std::uint8_t>(std::size_t(w * h * 3), 128)}; }

TEST(ExportPaths, StemIsTakenAsTyped)
{
    const std::filesystem::path base = "/opt/landuse";
    EXPECT_EQ(ExportFileName(base, ExportFolder::Pictures, "001_pic_", 1, ".jpg"), "/opt/landuse/pictures/001_pic_1.jpg");
    EXPECT_EQ(ExportFileName(base, ExportFolder::Pictures, "run.5_", 2, ".jpg"), "/opt/landuse/pictures/run.5_2.jpg");
    EXPECT_EQ(ExportFileName(base, ExportFolder::Data, "", 3, ".xls"), "/opt/landuse/data/3.xls");
    EXPECT_EQ(ExportFileIn("/opt/out", "..", 3, ".xls"), "/opt/out/..3.xls");
}

TEST(ExportPaths, StemWithASeparatorIsRefusedBeforeAnythingIsMade)
{
    ScratchDir dir;
    const Chart empty;
    for (const char* stem : {"../x", "/etc/x", "sub/x", "x/", "..\\x"}) {
        const std::string expected = "E_pName: '" + std::string(stem)
            + "' contains a path separator; it starts file names and cannot name a folder";
        const auto messageOf = [&](const auto& action) {
            try {
                action();
            } catch (const ExportError& e) {
                return std::string(e.what());
            }
            return std::string("no error");
        };
        EXPECT_EQ(messageOf([&] { ExportFileIn(dir.path(), stem, 3, ".xls"); }), expected);
        EXPECT_EQ(messageOf([&] { SaveSeriesData(dir.path() / "a", stem, empty, empty, empty); }), expected);
        EXPECT_EQ(messageOf([&] { SavePicture(dir.path() / "b", stem, 1, Grey(2, 2)); }), expected);
    }
    EXPECT_TRUE(Names(dir.path()).empty()) << "no folder and no file may be made";
}

TEST(ExportPaths, SavePicturesCreatesTheFolderAndLeavesOnlyJpegs)
{
    ScratchDir dir;
    SavePictures(dir.path(), "run.5_", Grey(8, 6), Grey(3, 5));
    SavePictures(dir.path(), "", Grey(2, 2), Grey(2, 2));
    EXPECT_EQ(Names(dir.path() / "pictures"), (std::set<std::string>{"run.5_1.jpg", "run.5_2.jpg", "1.jpg", "2.jpg"}));

    std::filesystem::create_directories(dir.path() / "pictures" / "p1.jpg");
    try {
        SavePicture(dir.path(), "p", 1, Grey(2, 2));
        FAIL() << "expected an ExportError";
    } catch (const ExportError& e) {
        EXPECT_NE(std::string(e.what()).find("\"" + (dir.path() / "pictures" / "p1.jpg").string() + "\""),
                  std::string::npos)
            << e.what();
    }
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "pictures" / "p1.bmp"));
}

TEST(ExportPaths, FoldersAreCreatedWhenMissing)
{
    ScratchDir dir;
    const auto base = dir.path() / "new" / "place";
    EnsureExportFolders(base);
    EnsureExportFolders(base); // already there: nothing to do
    EXPECT_TRUE(std::filesystem::is_directory(base / "pictures"));
    EXPECT_TRUE(std::filesystem::is_directory(base / "data"));
}

} // namespace
} // namespace landuse
