// Where the window saves: beside a program the user owns, else in a
// "landuse" folder of the user's documents.

#include "support/test_folder.h"
#include "ui/save_folder.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>

namespace {

namespace fs = std::filesystem;
using landuse::ui::ChooseSaveFolder;
using landuse::ui::IsSystemFolder;

TEST(SaveFolder, InstalledPlacesAreSystemFoldersAndBuildTreesAreNot)
{
    for (const char* folder : {"/usr/bin", "/usr/local/bin", "/bin", "/sbin", "/usr/games", "/opt/landuse/bin",
                               "/usr/lib/landuse", "/usr/bin/", "/usr/./bin", "/tmp/../usr/bin",
                               // a package unpacked into a staging root keeps its layout
                               "/tmp/root/usr/bin", "/srv/stage/usr/local/bin", "/tmp/root/usr/libexec/landuse"})
        EXPECT_TRUE(IsSystemFolder(folder)) << folder;
    for (const char* folder : {"/home/ana/landuse/build/app", "/tmp/landuse-0.1.0/bin", "/work/usr", "/srv/bin",
                               "/home/ana/usrbin", "/home/ana/optical/bin", "build/app", "usr"})
        EXPECT_FALSE(IsSystemFolder(folder)) << folder;
}

TEST(SaveFolder, BesideAProgramTheUserMayWriteBeside)
{
    const fs::path root = landuse::test::FreshFolder("save_folder_");
    const fs::path program = root / "build" / "app";
    fs::create_directories(program);
    const fs::path documents = root / "Documents";
    EXPECT_EQ(ChooseSaveFolder(program, documents), program);
    // Nothing is made in the documents while the program's folder serves.
    EXPECT_FALSE(fs::exists(documents));
}

TEST(SaveFolder, InTheDocumentsForASystemOrMissingFolderMadeWhenMissing)
{
    const fs::path root = landuse::test::FreshFolder("save_folder_");
    const fs::path documents = root / "home" / "Papers";
    const fs::path staged = root / "usr" / "bin";
    fs::create_directories(staged);
    struct Case {
        fs::path program;
        const char* why;
    } cases[] = {
        {staged, "an installed tree, writable or not"},
        {root / "gone", "a folder that does not exist"},
        {root / "file", "a file, not a folder"},
        {"", "no folder at all"},
    };
    std::ofstream(root / "file") << "x";
    for (const Case& c : cases) {
        fs::remove_all(root / "home");
        EXPECT_EQ(ChooseSaveFolder(c.program, documents), documents / "landuse") << c.why;
        EXPECT_TRUE(fs::is_directory(documents / "landuse")) << c.why;
    }
    // A folder already there is kept with what it holds.
    std::ofstream(documents / "landuse" / "kept") << "x";
    EXPECT_EQ(ChooseSaveFolder(staged, documents), documents / "landuse");
    EXPECT_TRUE(fs::exists(documents / "landuse" / "kept"));
}

TEST(SaveFolder, AFolderTheUserMayNotWriteSendsTheSavesToTheDocuments)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may write into any folder";
    const fs::path root = landuse::test::FreshFolder("save_folder_");
    const fs::path program = root / "readonly";
    fs::create_directories(program);
    fs::permissions(program, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(ChooseSaveFolder(program, root / "Documents"), root / "Documents" / "landuse");
    fs::permissions(program, fs::perms::owner_all);
}

} // namespace
